#include "platform/win32/win32_clock.h"

#include "platform/win32/windows_api.h"

namespace ptpdiag {

LocalDateTime Win32Clock::LocalNow() const {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  LocalDateTime t;
  t.Year = now.wYear;
  t.Month = now.wMonth;
  t.Day = now.wDay;
  t.Hour = now.wHour;
  t.Minute = now.wMinute;
  t.Second = now.wSecond;
  t.Millisecond = now.wMilliseconds;
  return t;
}

std::int64_t Win32Clock::MonotonicMs() const {
  return static_cast<std::int64_t>(GetTickCount64());
}

namespace {

// 100 ns intervals from 1601 to 1970.
constexpr std::int64_t kUnixEpochTicks = 116444736000000000LL;
constexpr std::int64_t kTicksPerSecond = 10000000LL;

std::int64_t TicksOf(const SYSTEMTIME& t) {
  FILETIME file{};
  if (!SystemTimeToFileTime(&t, &file)) return 0;
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(file.dwHighDateTime) << 32) |
                                   file.dwLowDateTime);
}

}  // namespace

std::int32_t Win32Clock::UtcOffsetSeconds(std::int64_t unixSeconds) const {
  const auto ticks = static_cast<std::uint64_t>(unixSeconds * kTicksPerSecond + kUnixEpochTicks);
  FILETIME file{static_cast<DWORD>(ticks & 0xFFFFFFFFU), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc{};
  SYSTEMTIME local{};
  if (!FileTimeToSystemTime(&file, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
    return 0;
  }
  return static_cast<std::int32_t>((TicksOf(local) - TicksOf(utc)) / kTicksPerSecond);
}

}  // namespace ptpdiag
