// Qt key presses as the virtual-key codes WM_KEYDOWN carries.
#pragma once

#include <Qt>
#include <cstdint>
#include <optional>

namespace ptpdiag {

struct KeyPress {
  int Key = 0;  // Qt::Key
  Qt::KeyboardModifiers Modifiers;
  std::uint32_t ScanCode = 0;  // the platform's, 0 when unknown
  bool X11ScanCodes = false;   // ScanCode is an X11 key code
};

// The code for `press`; nothing for keys the window never sees as a key
// press (Alt and F10 go to the menu, as they always have). Digits count by
// their key on the main keyboard whatever the layout and Shift: Shift+1
// is '1'. Keypad digits are the keypad's own codes.
std::optional<std::uint32_t> VirtualKey(const KeyPress& press);

}  // namespace ptpdiag
