#include "platform/qt/key_map.h"

#include "platform/virtual_keys.h"

namespace ptpdiag {
namespace {

// X11 key codes of the main keyboard's digit row, "1" to "0".
constexpr std::uint32_t kX11DigitOne = 10;
constexpr std::uint32_t kX11DigitZero = 19;

// What Shift+digit gives on a US layout, for platforms without scan codes.
std::optional<std::uint32_t> ShiftedDigit(int key) {
  static constexpr int kShifted[] = {Qt::Key_ParenRight,  Qt::Key_Exclam,    Qt::Key_At,
                                     Qt::Key_NumberSign,  Qt::Key_Dollar,    Qt::Key_Percent,
                                     Qt::Key_AsciiCircum, Qt::Key_Ampersand, Qt::Key_Asterisk,
                                     Qt::Key_ParenLeft};
  for (std::uint32_t d = 0; d < 10; ++d) {
    if (kShifted[d] == key) return VK_0 + d;
  }
  return std::nullopt;
}

std::optional<std::uint32_t> DigitKey(const KeyPress& p) {
  if (p.Modifiers.testFlag(Qt::KeypadModifier)) {
    if (p.Key >= Qt::Key_0 && p.Key <= Qt::Key_9) return VK_NUMPAD0 + (p.Key - Qt::Key_0);
    return std::nullopt;
  }
  if (p.X11ScanCodes && p.ScanCode >= kX11DigitOne && p.ScanCode <= kX11DigitZero) {
    return p.ScanCode == kX11DigitZero ? VK_0 : VK_0 + 1 + (p.ScanCode - kX11DigitOne);
  }
  if (p.Key >= Qt::Key_0 && p.Key <= Qt::Key_9) return VK_0 + (p.Key - Qt::Key_0);
  if (p.Modifiers.testFlag(Qt::ShiftModifier)) return ShiftedDigit(p.Key);
  return std::nullopt;
}

std::optional<std::uint32_t> NamedKey(int key) {
  switch (key) {
    case Qt::Key_Escape:
      return VK_ESCAPE;
    case Qt::Key_Up:
      return VK_UP;
    case Qt::Key_Down:
      return VK_DOWN;
    case Qt::Key_Left:
      return VK_LEFT;
    case Qt::Key_Right:
      return VK_RIGHT;
    case Qt::Key_PageUp:
      return VK_PRIOR;
    case Qt::Key_PageDown:
      return VK_NEXT;
    case Qt::Key_Home:
      return VK_HOME;
    case Qt::Key_End:
      return VK_END;
    case Qt::Key_Insert:
      return VK_INSERT;
    case Qt::Key_Delete:
      return VK_DELETE;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return VK_RETURN;
    case Qt::Key_Backspace:
      return VK_BACK;
    case Qt::Key_Tab:
      return VK_TAB;
    case Qt::Key_Space:
      return VK_SPACE;
    case Qt::Key_Shift:
      return VK_SHIFT;
    case Qt::Key_Control:
      return VK_CONTROL;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_F10:
      return std::nullopt;
    default:
      return VK_OEM_OTHER;
  }
}

}  // namespace

std::optional<std::uint32_t> VirtualKey(const KeyPress& press) {
  if (const auto digit = DigitKey(press)) return digit;
  if (press.Key >= Qt::Key_A && press.Key <= Qt::Key_Z) {
    return VK_A + static_cast<std::uint32_t>(press.Key - Qt::Key_A);
  }
  if (press.Key >= Qt::Key_F1 && press.Key <= Qt::Key_F24 && press.Key != Qt::Key_F10) {
    return VK_F1 + static_cast<std::uint32_t>(press.Key - Qt::Key_F1);
  }
  return NamedKey(press.Key);
}

}  // namespace ptpdiag
