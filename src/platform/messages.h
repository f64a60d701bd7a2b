// Window message numbers and parameter types; the numbers are those of the
// original window system so that handlers and tests speak the same language.
#pragma once

#include <cstdint>

namespace ptpdiag {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

inline constexpr std::uint32_t WM_CREATE = 1;
inline constexpr std::uint32_t WM_DESTROY = 2;
inline constexpr std::uint32_t WM_SIZE = 5;
inline constexpr std::uint32_t WM_SETTEXT = 12;
inline constexpr std::uint32_t WM_PAINT = 15;
inline constexpr std::uint32_t WM_CLOSE = 16;
inline constexpr std::uint32_t WM_NOTIFY = 78;
inline constexpr std::uint32_t WM_KEYDOWN = 256;
inline constexpr std::uint32_t WM_COMMAND = 273;
inline constexpr std::uint32_t WM_TIMER = 275;
inline constexpr std::uint32_t WM_MENUSELECT = 287;
inline constexpr std::uint32_t WM_MOUSEMOVE = 512;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 513;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 516;
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
