// Recording a live session: every byte the poll cycle receives goes to a
// capture file with its arrival time, so the session can be replayed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/link_error.h"

namespace ptpdiag {

class CaptureRecorder {
 public:
  // Bytes per data line.
  static constexpr std::size_t kLineBytes = 32;
  // Written data reaches the file at least this often.
  static constexpr std::int64_t kFlushMs = 1000;

  // Creates `path`; an existing non-empty regular file is never overwritten.
  // Times count from now on `clock`'s monotonic count.
  static std::optional<CaptureRecorder> Create(const std::string& path, const Clock& clock,
                                               std::string& error);
  CaptureRecorder(CaptureRecorder&& other) noexcept;
  CaptureRecorder& operator=(CaptureRecorder&&) = delete;
  ~CaptureRecorder();

  void Append(std::uint8_t byte);
  // Writes out what is due; call often (every poll cycle).
  void FlushIfDue();
  // Writes out everything.
  void Finish();

  // The first write failure, once: the caller reports it. Recording stops
  // there; nothing else changes.
  std::optional<LinkError> TakeFailure();
  // The system's error number of the failure that stopped recording; 0
  // while recording goes on.
  int FailureErrno() const { return failedErrno_; }
  const std::string& Path() const { return path_; }

 private:
  CaptureRecorder(std::FILE* file, std::string path, const Clock& clock);
  std::int64_t NowMs() const;
  void EndLine();
  void Write(const std::string& text);
  void Flush();
  void Fail(int error);

  std::FILE* file_;
  std::string path_;
  const Clock* clock_;
  std::int64_t startMs_;
  std::int64_t lastFlushMs_;
  std::string line_;
  std::int64_t lineMs_ = -1;
  std::size_t lineBytes_ = 0;
  bool failed_ = false;
  int failedErrno_ = 0;
  std::optional<LinkError> failure_;
};

}  // namespace ptpdiag
