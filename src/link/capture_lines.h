// The capture format's lines, written in one place for the recorder and
// the simulator; capture_file.h reads them back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace ptpdiag {

// "YYYY-MM-DD HH:MM:SS".
std::string CaptureDateTimeText(const LocalDateTime& t);

std::string CaptureCommentLine(std::string_view text);  // "# text"
std::string CaptureStartLine(const LocalDateTime& t);   // "start YYYY-MM-DD HH:MM:SS"
// Replays tick when the recording did, not by its data lines' times.
inline constexpr std::string_view kCaptureTimingLine = "timing ticks\n";
std::string CaptureTickLine(std::int64_t ms);  // a tick that took nothing
std::string CaptureEndLine(std::int64_t ms);   // the last tick's time

// One data line being built: its time, then each byte as a blank and two
// upper-case hex digits.
class CaptureDataLine {
 public:
  void Add(std::uint8_t byte);
  std::size_t Bytes() const { return hex_.size() / 3; }
  // Appends the line, stamped `ms`, to `out`; the next line starts empty.
  void EndInto(std::int64_t ms, std::string& out);

 private:
  std::string hex_;
};

}  // namespace ptpdiag
