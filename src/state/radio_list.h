// The list of radios a radio file holds, and the selected entry.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ptpdiag {

inline constexpr int kRadioSlots = 2048;  // entries 1..2047 are used

struct RadioList {
  std::string RadioFileName;
  std::string FileDialogDir;  // initial folder of the file prompts
  std::int32_t RadioCount = 0;
  std::int32_t SelectedRadio = 0;
  std::array<std::uint32_t, kRadioSlots> RadioSerial{};
  std::array<std::uint8_t, kRadioSlots> RadioRepeaterNumber{};
  std::array<std::array<char, 8>, kRadioSlots> RadioName{};
};

// The New command's reset: "NONAME.RAD", no radios, blank names.
void ResetRadioList(RadioList& list);

}  // namespace ptpdiag
