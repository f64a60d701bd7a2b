#include "link/capture_recorder.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include "link/capture_file.h"
#include "link/capture_lines.h"

namespace ptpdiag {
namespace {

bool IsNonEmptyFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) &&
         std::filesystem::file_size(path, error) > 0 && !error;
}

std::string StartLines(const LocalDateTime& t) {
  return CaptureStartLine(t) + std::string(kCaptureTimingLine);
}

gzFile File(void* file) {
  return static_cast<gzFile>(file);
}

}  // namespace

std::optional<CaptureRecorder> CaptureRecorder::Create(const std::string& path,
                                                       std::string& error) {
  if (IsNonEmptyFile(path)) {
    error = path + " already exists; a recording never overwrites one";
    return std::nullopt;
  }
  // "T": written as it is, unless the name asks for compression.
  errno = 0;
  const gzFile file = gzopen(path.c_str(), IsGzipPath(path) ? "wb6" : "wbT");
  if (file == nullptr) {
    error = "cannot create " + path + ": " + std::strerror(errno != 0 ? errno : EIO);
    return std::nullopt;
  }
  CaptureRecorder recorder(file, path);
  recorder.Write(CaptureCommentLine("recorded by ptpdiag"));
  recorder.Flush();
  return recorder;
}

CaptureRecorder::CaptureRecorder(void* file, std::string path)
    : file_(file), path_(std::move(path)) {}

CaptureRecorder::CaptureRecorder(CaptureRecorder&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)),
      path_(std::move(other.path_)),
      originMs_(other.originMs_),
      begun_(other.begun_),
      tickMs_(other.tickMs_),
      line_(std::move(other.line_)),
      data_(std::move(other.data_)),
      failed_(other.failed_),
      failureText_(std::move(other.failureText_)),
      failure_(other.failure_) {}

CaptureRecorder::~CaptureRecorder() {
  Finish();
}

void CaptureRecorder::Begin(std::int64_t originMs, const LocalDateTime& originLocal) {
  if (begun_) return;
  begun_ = true;
  originMs_ = originMs;
  Write(StartLines(originLocal));
  Flush();
}

void CaptureRecorder::StartTick(std::int64_t nowMs) {
  if (!begun_) return;
  if (data_.Bytes() > 0) EndLine();
  tickMs_ = std::max(tickMs_, nowMs - originMs_);
  tickTook_ = false;
}

void CaptureRecorder::Append(std::uint8_t byte) {
  if (failed_ || !begun_) return;
  if (data_.Bytes() == kLineBytes) EndLine();
  tickTook_ = true;
  data_.Add(byte);
}

void CaptureRecorder::NoteLink(const std::string& name) {
  if (!begun_ || name.empty() || name.find_first_of("\r\n") != std::string::npos) return;
  line_ += "# link " + name + "\n";
}

void CaptureRecorder::EndLine() {
  data_.EndInto(tickMs_, line_);
}

void CaptureRecorder::EndTick() {
  if (failed_ || file_ == nullptr || !begun_) return;
  if (data_.Bytes() > 0) EndLine();
  // A tick without bytes still closes periods: the replay must tick then too.
  if (!tickTook_) line_ += CaptureTickLine(tickMs_);
  tickTook_ = true;
  if (line_.empty()) return;
  Write(line_);
  line_.clear();
  Flush();
}

void CaptureRecorder::Finish() {
  if (file_ == nullptr) return;
  EndTick();
  if (begun_) Write(CaptureEndLine(tickMs_));
  if (gzclose(File(file_)) != Z_OK && !failed_) {
    failed_ = true;
    failureText_ = std::strerror(errno != 0 ? errno : EIO);
    failure_ = LinkError{kErrRecordWrite, errno};
  }
  file_ = nullptr;
}

void CaptureRecorder::Write(const std::string& text) {
  if (failed_ || text.empty() || file_ == nullptr) return;
  errno = 0;
  if (gzwrite(File(file_), text.data(), static_cast<unsigned>(text.size())) !=
      static_cast<int>(text.size())) {
    Fail();
  }
}

void CaptureRecorder::Flush() {
  if (failed_ || file_ == nullptr) return;
  errno = 0;
  if (gzflush(File(file_), Z_SYNC_FLUSH) != Z_OK) Fail();
}

void CaptureRecorder::Fail() {
  int code = Z_OK;
  const char* words = gzerror(File(file_), &code);
  const int error = code == Z_ERRNO && errno != 0 ? errno : EIO;
  failed_ = true;
  failureText_ =
      code == Z_ERRNO ? std::strerror(error) : (words != nullptr ? words : "write error");
  failure_ = LinkError{kErrRecordWrite, error};
}

std::optional<LinkError> CaptureRecorder::TakeFailure() {
  return std::exchange(failure_, std::nullopt);
}

}  // namespace ptpdiag
