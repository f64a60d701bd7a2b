#include "sim/capture_writer.h"

#include <string>

namespace ptpdiag::sim {

CaptureWriter::CaptureWriter(std::ostream& out, int framesPerLine)
    : out_(out), framesPerLine_(framesPerLine < 1 ? 1 : framesPerLine) {}

CaptureWriter::~CaptureWriter() {
  Finish();
}

void CaptureWriter::WriteHeader(const std::vector<std::string>& comments,
                                const LocalDateTime& start) {
  for (const std::string& line : comments)
    out_ << CaptureCommentLine(line);
  out_ << CaptureStartLine(start);
}

void CaptureWriter::Add(const GeneratedHop& hop) {
  if (hop.Silent) return;
  for (int i = 0; i < hop.GarbageCount; ++i)
    line_.Add(hop.Garbage[static_cast<std::size_t>(i)]);
  for (std::uint8_t byte : hop.Frame)
    line_.Add(byte);
  lineTimeMs_ = hop.TimeMs;
  if (++framesInLine_ >= framesPerLine_) Finish();
}

void CaptureWriter::Finish() {
  if (framesInLine_ == 0) return;
  std::string text;
  line_.EndInto(lineTimeMs_, text);
  out_ << text;
  framesInLine_ = 0;
}

}  // namespace ptpdiag::sim
