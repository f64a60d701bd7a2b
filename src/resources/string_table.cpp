#include "resources/string_table.h"

#include <array>
#include <utility>

namespace ptpdiag {

std::string_view LoadMenuHelp(std::uint32_t id) {
  static constexpr std::array<std::pair<std::uint32_t, std::string_view>, 10> kTable = {{
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
  }};
  for (const auto& [key, text] : kTable) {
    if (key == id) return text;
  }
  return {};
}

}  // namespace ptpdiag
