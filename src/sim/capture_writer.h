// Writes generated hops as a capture file that `ptpdiag --replay` reads.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "sim/frame_generator.h"

namespace ptpdiag::sim {

// "YYYY-MM-DD HH:MM:SS".
std::string DateTimeText(const LocalDateTime& t);

class CaptureWriter {
 public:
  // Each data line carries `framesPerLine` hops (with their garbage),
  // stamped with the time of the last of them.
  CaptureWriter(std::ostream& out, int framesPerLine);
  ~CaptureWriter();
  CaptureWriter(const CaptureWriter&) = delete;
  CaptureWriter& operator=(const CaptureWriter&) = delete;

  // Comment lines (each given without its '#') and the start line; call
  // before the first hop.
  void WriteHeader(const std::vector<std::string>& comments, const LocalDateTime& start);
  void Add(const GeneratedHop& hop);
  // Writes the last, possibly shorter, line. Also done by the destructor.
  void Finish();

 private:
  void AppendByte(std::uint8_t byte);

  std::ostream& out_;
  int framesPerLine_;
  int framesInLine_ = 0;
  std::int64_t lineTimeMs_ = 0;
  std::string bytes_;  // hex of the line being built, each byte with a blank before it
};

}  // namespace ptpdiag::sim
