#include "link/capture_lines.h"

#include <cstdio>

namespace ptpdiag {

std::string CaptureDateTimeText(const LocalDateTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day, t.Hour,
                t.Minute, t.Second);
  return text;
}

std::string CaptureCommentLine(std::string_view text) {
  return "# " + std::string(text) + "\n";
}

std::string CaptureStartLine(const LocalDateTime& t) {
  return "start " + CaptureDateTimeText(t) + "\n";
}

std::string CaptureTickLine(std::int64_t ms) {
  return "tick " + std::to_string(ms) + "\n";
}

std::string CaptureEndLine(std::int64_t ms) {
  return "end " + std::to_string(ms) + "\n";
}

void CaptureDataLine::Add(std::uint8_t byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  hex_ += ' ';
  hex_ += kHex[byte >> 4];
  hex_ += kHex[byte & 15];
}

void CaptureDataLine::EndInto(std::int64_t ms, std::string& out) {
  out += std::to_string(ms);
  out += hex_;
  out += '\n';
  hex_.clear();
}

}  // namespace ptpdiag
