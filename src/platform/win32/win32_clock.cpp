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

}  // namespace ptpdiag
