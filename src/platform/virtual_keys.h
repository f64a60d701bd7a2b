// Virtual-key codes of the original window system, as WM_KEYDOWN carries
// them: letters by their upper-case code, main-keyboard digits by theirs.
#pragma once

#include <cstdint>

namespace ptpdiag {

inline constexpr std::uint32_t VK_BACK = 8;
inline constexpr std::uint32_t VK_TAB = 9;
inline constexpr std::uint32_t VK_RETURN = 13;
inline constexpr std::uint32_t VK_SHIFT = 16;
inline constexpr std::uint32_t VK_CONTROL = 17;
inline constexpr std::uint32_t VK_ESCAPE = 27;
inline constexpr std::uint32_t VK_SPACE = 32;
inline constexpr std::uint32_t VK_PRIOR = 33;  // Page Up
inline constexpr std::uint32_t VK_NEXT = 34;   // Page Down
inline constexpr std::uint32_t VK_END = 35;
inline constexpr std::uint32_t VK_HOME = 36;
inline constexpr std::uint32_t VK_LEFT = 37;
inline constexpr std::uint32_t VK_UP = 38;
inline constexpr std::uint32_t VK_RIGHT = 39;
inline constexpr std::uint32_t VK_DOWN = 40;
inline constexpr std::uint32_t VK_INSERT = 45;
inline constexpr std::uint32_t VK_DELETE = 46;
inline constexpr std::uint32_t VK_0 = 48;  // '1'..'9' follow
inline constexpr std::uint32_t VK_A = 65;  // 'B'..'Z' follow
inline constexpr std::uint32_t VK_NUMPAD0 = 96;
inline constexpr std::uint32_t VK_F1 = 112;
inline constexpr std::uint32_t VK_OEM_OTHER = 0xDF;  // any key without a code of its own

}  // namespace ptpdiag
