#include "resources/string_table.h"

#include <array>
#include <utility>

namespace ptpdiag {

std::string_view LoadMenuHelp(std::uint32_t id) {
  static constexpr std::array<std::pair<std::uint32_t, std::string_view>, 20> kTable = {{
      {129, "Set the network address and port of the radio"},
      {130, "Connect to the radio over TCP"},
      {131, "Close the TCP or UDP link"},
      {150, "Listen for the radio's UDP datagrams"},
      {151, "Find a radio of the list by its serial number"},
      {3072, "Open new file"},
      {3073, "Open existing file"},
      {3074, "Close file"},
      {3075, "Save file"},
      {3076, "Exit Razozade"},
      {3077, "Cut to clipboard"},
      {3078, "Copy to clipboard"},
      {3079, "Paste from clipboard"},
      {3080, "Help"},
      {3081, "About Norvalen PTP Diagnostics 1.00"},
      {3090, "Record what the radio sends to a capture file; again to stop"},
      {3091, "Write the channel and history figures to two CSV files"},
      {3092, "Save a picture of the window as it is now (PNG)"},
      {3093, "Stop recording and close the capture file"},
      {3094, "Open the user guide in the web browser"},
  }};
  for (const auto& [key, text] : kTable) {
    if (key == id) return text;
  }
  return {};
}

}  // namespace ptpdiag
