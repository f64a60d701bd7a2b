// Writes generated hops as a capture file that `ptpdiag --replay` reads.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "link/capture_lines.h"
#include "platform/clock.h"
#include "sim/frame_generator.h"

namespace ptpdiag::sim {

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
  std::ostream& out_;
  int framesPerLine_;
  int framesInLine_ = 0;
  std::int64_t lineTimeMs_ = 0;
  CaptureDataLine line_;
};

}  // namespace ptpdiag::sim
