// Recording a live session: every byte the poll cycle takes goes to a
// capture file, stamped with the time of the timer tick that took it, and
// a tick that took nothing is written as such, so a replay ticks exactly
// when the live session did and rebuilds its history. Each
// tick's bytes reach the file by the end of the tick, so a crash loses at
// most the tick being recorded. A name ending in ".gz" is written
// compressed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "link/capture_lines.h"
#include "platform/clock.h"
#include "platform/link_error.h"

namespace ptpdiag {

class CaptureRecorder {
 public:
  // Bytes per data line.
  static constexpr std::size_t kLineBytes = 32;

  // Creates `path`; an existing non-empty regular file is never overwritten.
  [[nodiscard]] static std::optional<CaptureRecorder> Create(const std::string& path, std::string& error);
  CaptureRecorder(CaptureRecorder&& other) noexcept;
  CaptureRecorder& operator=(CaptureRecorder&&) = delete;
  CaptureRecorder(const CaptureRecorder&) = delete;
  ~CaptureRecorder();

  // t = 0 of the recording: monotonic `originMs`, when the local time was
  // `originLocal` (a whole second). Writes the start and timing lines.
  void Begin(std::int64_t originMs, const LocalDateTime& originLocal);
  // A timer tick at monotonic `nowMs`: what is appended until the next
  // tick is stamped with its time.
  void StartTick(std::int64_t nowMs);
  void Append(std::uint8_t byte);
  // Names the link in a comment line ("# link UDP port 4131"), so a
  // report rebuilt from the recording names it as the session did.
  void NoteLink(const std::string& name);
  // Writes the tick's bytes (or its tick line) out to the file.
  void EndTick();
  // Writes the end line (the last tick's time) and everything left, and
  // closes the file. Later calls do nothing.
  void Finish();

  // The first write failure, once: the caller reports it. Recording stops
  // there; nothing else changes.
  [[nodiscard]] std::optional<LinkError> TakeFailure();
  // The system's words for the failure that stopped recording; empty while
  // recording goes on.
  const std::string& FailureText() const { return failureText_; }
  bool Failed() const { return failed_; }
  const std::string& Path() const { return path_; }

 private:
  CaptureRecorder(void* file, std::string path);
  void EndLine();
  void Write(const std::string& text);
  void Flush();
  void Fail();

  void* file_;  // a gzFile
  std::string path_;
  std::int64_t originMs_ = 0;
  bool begun_ = false;
  std::int64_t tickMs_ = 0;
  bool tickTook_ = true;  // no tick line until a tick has started
  std::string line_;  // the tick's lines not yet written
  CaptureDataLine data_;
  bool failed_ = false;
  std::string failureText_;
  std::optional<LinkError> failure_;
};

}  // namespace ptpdiag
