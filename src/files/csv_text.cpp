#include "files/csv_text.h"

#include <charconv>
#include <cstdio>

namespace ptpdiag {

std::string Decimal(double v, int decimals) {
  char text[64];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return {};
  std::string s(text, end);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  return s == "-0" ? "0" : s;
}

std::string IsoTime(const ZonedTime& t) {
  char text[40];
  const int offset = t.UtcOffsetSeconds;
  const int magnitude = offset < 0 ? -offset : offset;
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.Local.Year,
                t.Local.Month, t.Local.Day, t.Local.Hour, t.Local.Minute, t.Local.Second,
                offset < 0 ? '-' : '+', magnitude / 3600, magnitude / 60 % 60);
  return text;
}

}  // namespace ptpdiag
