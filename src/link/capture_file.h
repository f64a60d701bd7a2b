// Capture files: a recorded byte stream with arrival times, in text, read
// one line at a time so a week's recording replays in constant memory.
// A file whose name ends in ".gz" is gzip-compressed (and one that is not
// so named is read compressed all the same when it is).
//
//   # comment lines and blank lines are ignored
//   start 2026-12-08 14:30:00      optional, before the data: local time at t = 0
//   timing ticks                   optional, before the data: each line's time is
//                                  that of the timer tick that took its bytes
//   <ms> <hex>                     ms since t = 0, non-decreasing; hex byte
//                                  pairs, optionally separated by single spaces
//   tick <ms>                      a timer tick that took no bytes (recordings)
//   end <ms>                       optional, last: when the recorded session ended
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace ptpdiag {

// Later times are refused so that elapsed seconds stay in 32 bits.
inline constexpr std::int64_t kMaxCaptureMs = 1'000'000'000'000;
// No line of a capture is longer (a full recorder line is about 130
// bytes); a longer one ends the reading there, so that no file, however
// made, can fill the memory.
inline constexpr std::size_t kMaxCaptureLineBytes = 1024 * 1024;
// A longer "# link" comment is not taken as the link's name.
inline constexpr std::size_t kMaxLinkNote = 200;
// A cancel is looked for this often while lines are read.
inline constexpr int kLinesBetweenCancelChecks = 4096;

struct [[nodiscard]] CaptureError {
  std::string File;
  int Line = 0;  // 0 when the problem is not on a line (unreadable file)
  std::string Message;
  // "FILE:LINE: message" or "FILE: message".
  std::string Text() const;
};

// How a capture's times were stamped: when the bytes arrived (captures
// the simulator writes, older recordings), or at the tick that took them
// (recordings of this program).
enum class CaptureTiming { Arrival, Ticks };

// One data line (a tick line has no bytes).
struct CaptureLine {
  std::int64_t TimeMs = 0;
  std::vector<std::uint8_t> Bytes;
};

// How a text ended: whole; a compressed file that was never closed (it
// ends where its recorder last flushed: the recorder was stopped); or one
// cut in the middle of its data, as an incomplete or damaged copy is.
enum class TextEnd { Whole, Unclosed, Cut };

// Where the text comes from, line by line.
class CaptureText {
 public:
  virtual ~CaptureText() = default;
  // The next line without its line end; `ended` tells whether it had one.
  // False at the end of the text.
  [[nodiscard]] virtual bool NextLine(std::string& line, bool& ended) = 0;
  // The reason the text could not be read further; empty when it ended.
  virtual std::string Failure() const { return {}; }
  // True when the reading stopped at a line longer than
  // kMaxCaptureLineBytes (the line after the last one given).
  virtual bool Overlong() const { return false; }
  // Once the text has ended.
  virtual TextEnd End() const { return TextEnd::Whole; }
};

class CaptureReader {
 public:
  CaptureReader(std::unique_ptr<CaptureText> text, std::string fileName);

  // A file, plain or gzip; nothing, with `error` set, when it cannot be
  // opened.
  static std::unique_ptr<CaptureReader> Open(const std::string& path, CaptureError& error);

  // The next data line, past comments and the start, timing and end lines;
  // nothing at the end of the capture or at a malformed line (Error()).
  // A last line cut short by a crash (no line end) gives what it holds up to
  // its last whole byte pair, and CutShort() says so.
  std::optional<CaptureLine> Next();

  // Asked every few thousand lines, however many are skipped: true ends
  // the reading there, as if the capture ended (no error).
  void SetCancel(std::function<bool()> cancel);

  // Complete once the first data line was read.
  const LocalDateTime& Start() const { return start_; }
  CaptureTiming Timing() const { return timing_; }
  // The end line's time, once the capture was read to it.
  std::optional<std::int64_t> EndMs() const { return endMs_; }
  const std::optional<CaptureError>& Error() const { return error_; }
  bool CutShort() const { return cutShort_; }
  // How the text ended, once the capture was read to its end.
  TextEnd Ending() const { return text_ ? text_->End() : TextEnd::Whole; }
  const std::string& FileName() const { return file_; }
  // The link named by a "# link NAME" comment, once read; empty without.
  const std::string& LinkNote() const { return linkNote_; }

 private:
  enum class LineResult { Skip, Data, Stop };
  LineResult Line(std::string_view raw, CaptureLine& out);
  [[nodiscard]] LineResult StartLine(std::string_view rest);
  LineResult TimingLine(std::string_view rest);
  LineResult EndLine(std::string_view rest);
  LineResult TickLine(std::string_view rest, CaptureLine& out);
  LineResult DataLine(std::string_view text, CaptureLine& out);
  [[nodiscard]] bool HexBytes(std::string_view hex, std::vector<std::uint8_t>& bytes);
  // The readable part of a last line that was cut short.
  std::optional<CaptureLine> Salvage(std::string_view text);
  LineResult Fail(std::string message);

  std::unique_ptr<CaptureText> text_;
  std::string file_;
  int number_ = 0;
  LocalDateTime start_{2000, 1, 1, 0, 0, 0, 0};
  CaptureTiming timing_ = CaptureTiming::Arrival;
  bool sawStart_ = false;
  bool sawTiming_ = false;
  bool sawData_ = false;
  std::optional<std::int64_t> endMs_;
  std::int64_t lastMs_ = 0;
  std::optional<CaptureError> error_;
  bool cutShort_ = false;
  std::string line_;
  std::string linkNote_;
  std::function<bool()> cancel_;
  bool cancelled_ = false;
};

// A whole capture in memory (small ones: tests, the simulator's checks).
struct CaptureChunk {
  std::int64_t TimeMs = 0;
  std::size_t End = 0;  // one past this chunk's last byte in Capture::Bytes
};

struct Capture {
  LocalDateTime Start{2000, 1, 1, 0, 0, 0, 0};
  CaptureTiming Timing = CaptureTiming::Arrival;
  std::optional<std::int64_t> EndMs;
  std::vector<CaptureChunk> Chunks;
  std::vector<std::uint8_t> Bytes;
  std::int64_t LastTimeMs = 0;  // 0 when there is no data line
  bool CutShort = false;
};

struct [[nodiscard]] CaptureResult {
  Capture Data;
  std::optional<CaptureError> Error;
};

CaptureResult ParseCapture(std::istream& in, const std::string& fileName);
CaptureResult ReadCaptureFile(const std::string& path);

// The lines of a capture in memory, one at a time, for a replay.
std::function<std::optional<CaptureLine>()> LinesOf(const Capture& capture);

// Parses "YYYY-MM-DD HH:MM:SS" into a valid date and time.
[[nodiscard]] std::optional<LocalDateTime> ParseDateTime(const std::string& text);

// True when `path` ends in ".gz" (any case).
bool IsGzipPath(const std::string& path);

}  // namespace ptpdiag
