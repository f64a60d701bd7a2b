// Window message numbers and parameter types; the numbers are those of the
// original window system so that handlers and tests speak the same language.
// Where the Windows headers came first, their macros (the same numbers)
// stand for these.
#pragma once

#include <cstdint>

namespace ptpdiag {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

#ifndef WM_CREATE
inline constexpr std::uint32_t WM_CREATE = 1;
#endif
#ifndef WM_DESTROY
inline constexpr std::uint32_t WM_DESTROY = 2;
#endif
#ifndef WM_SIZE
inline constexpr std::uint32_t WM_SIZE = 5;
#endif
#ifndef WM_SETTEXT
inline constexpr std::uint32_t WM_SETTEXT = 12;
#endif
#ifndef WM_PAINT
inline constexpr std::uint32_t WM_PAINT = 15;
#endif
#ifndef WM_CLOSE
inline constexpr std::uint32_t WM_CLOSE = 16;
#endif
#ifndef WM_NOTIFY
inline constexpr std::uint32_t WM_NOTIFY = 78;
#endif
#ifndef WM_KEYDOWN
inline constexpr std::uint32_t WM_KEYDOWN = 256;
#endif
#ifndef WM_COMMAND
inline constexpr std::uint32_t WM_COMMAND = 273;
#endif
#ifndef WM_TIMER
inline constexpr std::uint32_t WM_TIMER = 275;
#endif
#ifndef WM_INITMENUPOPUP
inline constexpr std::uint32_t WM_INITMENUPOPUP = 279;
#endif
#ifndef WM_MENUSELECT
inline constexpr std::uint32_t WM_MENUSELECT = 287;
#endif
#ifndef WM_MOUSEMOVE
inline constexpr std::uint32_t WM_MOUSEMOVE = 512;
#endif
#ifndef WM_LBUTTONDOWN
inline constexpr std::uint32_t WM_LBUTTONDOWN = 513;
#endif
#ifndef WM_RBUTTONDOWN
inline constexpr std::uint32_t WM_RBUTTONDOWN = 516;
#endif
// Posted when the UDP socket has a datagram to read.
inline constexpr std::uint32_t WM_NETWORK_NOTIFY = 961;

constexpr std::uint32_t LowWord(std::uintptr_t v) {
  return static_cast<std::uint32_t>(v & 0xFFFFu);
}
constexpr std::uint32_t HighWord(std::uintptr_t v) {
  return static_cast<std::uint32_t>((v >> 16) & 0xFFFFu);
}
constexpr LPARAM MakeLParam(std::uint32_t low, std::uint32_t high) {
  return static_cast<LPARAM>((high & 0xFFFFu) << 16 | (low & 0xFFFFu));
}

}  // namespace ptpdiag
