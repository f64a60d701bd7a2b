#include "sim/capture_writer.h"

#include <cstdio>

namespace ptpdiag::sim {

std::string DateTimeText(const LocalDateTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day, t.Hour,
                t.Minute, t.Second);
  return text;
}

CaptureWriter::CaptureWriter(std::ostream& out, int framesPerLine)
    : out_(out), framesPerLine_(framesPerLine < 1 ? 1 : framesPerLine) {}

CaptureWriter::~CaptureWriter() {
  Finish();
}

void CaptureWriter::WriteHeader(const std::vector<std::string>& comments,
                                const LocalDateTime& start) {
  for (const std::string& line : comments)
    out_ << "# " << line << '\n';
  out_ << "start " << DateTimeText(start) << '\n';
}

void CaptureWriter::AppendByte(std::uint8_t byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  bytes_.push_back(' ');
  bytes_.push_back(kHex[byte >> 4]);
  bytes_.push_back(kHex[byte & 15]);
}

void CaptureWriter::Add(const GeneratedHop& hop) {
  for (int i = 0; i < hop.GarbageCount; ++i)
    AppendByte(hop.Garbage[static_cast<std::size_t>(i)]);
  for (std::uint8_t byte : hop.Frame)
    AppendByte(byte);
  lineTimeMs_ = hop.TimeMs;
  if (++framesInLine_ >= framesPerLine_) Finish();
}

void CaptureWriter::Finish() {
  if (framesInLine_ == 0) return;
  out_ << lineTimeMs_ << bytes_ << '\n';
  bytes_.clear();
  framesInLine_ = 0;
}

}  // namespace ptpdiag::sim
