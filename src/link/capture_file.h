// Capture files: a recorded byte stream with arrival times, in text.
//
//   # comment lines and blank lines are ignored
//   start 2026-12-08 14:30:00      optional, before the data: local time at t = 0
//   <ms> <hex>                     ms since t = 0, non-decreasing; hex byte
//                                  pairs, optionally separated by single spaces
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace ptpdiag {

// Later times are refused so that elapsed seconds stay in 32 bits.
inline constexpr std::int64_t kMaxCaptureMs = 1'000'000'000'000;

struct CaptureChunk {
  std::int64_t TimeMs = 0;
  std::size_t End = 0;  // one past this chunk's last byte in Capture::Bytes
};

struct Capture {
  LocalDateTime Start{2000, 1, 1, 0, 0, 0, 0};
  std::vector<CaptureChunk> Chunks;
  std::vector<std::uint8_t> Bytes;
  std::int64_t LastTimeMs = 0;  // 0 when there is no data line
};

struct CaptureError {
  std::string File;
  int Line = 0;  // 0 when the problem is not on a line (unreadable file)
  std::string Message;
  // "FILE:LINE: message" or "FILE: message".
  std::string Text() const;
};

struct CaptureResult {
  Capture Data;
  std::optional<CaptureError> Error;
};

CaptureResult ParseCapture(std::istream& in, const std::string& fileName);
CaptureResult ReadCaptureFile(const std::string& path);

// Parses "YYYY-MM-DD HH:MM:SS" into a valid date and time.
std::optional<LocalDateTime> ParseDateTime(const std::string& text);

}  // namespace ptpdiag
