#include "link/capture_recorder.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

namespace ptpdiag {
namespace {

bool IsNonEmptyFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) &&
         std::filesystem::file_size(path, error) > 0 && !error;
}

std::string StartLine(const LocalDateTime& t) {
  char text[64];
  std::snprintf(text, sizeof text, "start %04d-%02d-%02d %02d:%02d:%02d\n", t.Year, t.Month, t.Day,
                t.Hour, t.Minute, t.Second);
  return text;
}

}  // namespace

std::optional<CaptureRecorder> CaptureRecorder::Create(const std::string& path, const Clock& clock,
                                                       std::string& error) {
  if (IsNonEmptyFile(path)) {
    error = path + " already exists; a recording never overwrites one";
    return std::nullopt;
  }
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) {
    error = "cannot create " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  CaptureRecorder recorder(file, path, clock);
  recorder.Write("# recorded by ptpdiag\n" + StartLine(clock.LocalNow()));
  recorder.Flush();
  return recorder;
}

CaptureRecorder::CaptureRecorder(std::FILE* file, std::string path, const Clock& clock)
    : file_(file),
      path_(std::move(path)),
      clock_(&clock),
      startMs_(clock.MonotonicMs()),
      lastFlushMs_(startMs_) {}

CaptureRecorder::CaptureRecorder(CaptureRecorder&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)),
      path_(std::move(other.path_)),
      clock_(other.clock_),
      startMs_(other.startMs_),
      lastFlushMs_(other.lastFlushMs_),
      line_(std::move(other.line_)),
      lineMs_(other.lineMs_),
      lineBytes_(other.lineBytes_),
      failed_(other.failed_),
      failedErrno_(other.failedErrno_),
      failure_(other.failure_) {}

CaptureRecorder::~CaptureRecorder() {
  if (file_ == nullptr) return;
  Finish();
  std::fclose(file_);
}

std::int64_t CaptureRecorder::NowMs() const {
  return clock_->MonotonicMs() - startMs_;
}

void CaptureRecorder::Append(std::uint8_t byte) {
  if (failed_) return;
  const std::int64_t now = NowMs();
  if (lineBytes_ > 0 && (now != lineMs_ || lineBytes_ == kLineBytes)) EndLine();
  if (lineBytes_ == 0) {
    lineMs_ = now;
    line_ += std::to_string(now);
  }
  static constexpr char kHex[] = "0123456789ABCDEF";
  line_ += ' ';
  line_ += kHex[byte >> 4];
  line_ += kHex[byte & 15];
  ++lineBytes_;
}

void CaptureRecorder::EndLine() {
  line_ += '\n';
  lineBytes_ = 0;
  if (line_.size() >= 4096) {
    Write(line_);
    line_.clear();
  }
}

void CaptureRecorder::FlushIfDue() {
  if (failed_ || NowMs() - (lastFlushMs_ - startMs_) < kFlushMs) return;
  Finish();
}

void CaptureRecorder::Finish() {
  if (failed_) return;
  if (lineBytes_ > 0) EndLine();
  Write(line_);
  line_.clear();
  Flush();
}

void CaptureRecorder::Write(const std::string& text) {
  if (failed_ || text.empty()) return;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
    Fail(errno);
  }
}

void CaptureRecorder::Flush() {
  lastFlushMs_ = clock_->MonotonicMs();
  if (failed_) return;
  if (std::fflush(file_) != 0) {
    Fail(errno);
  }
}

void CaptureRecorder::Fail(int error) {
  failed_ = true;
  failedErrno_ = error;
  failure_ = LinkError{kErrRecordWrite, error};
}

std::optional<LinkError> CaptureRecorder::TakeFailure() {
  return std::exchange(failure_, std::nullopt);
}

}  // namespace ptpdiag
