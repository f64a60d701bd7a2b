// A capture file's text as it is on the disk, or inflated when the file
// starts as gzip does (whatever its name), told apart from what went wrong
// with it: a damaged body, a bad check, something after the end, a copy cut
// short, a recording never closed.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "link/capture_file.h"

struct z_stream_s;

namespace ptpdiag {

class FileText final : public CaptureText {
 public:
  // Nothing, with `error` set to the system's words, when the file cannot
  // be opened.
  static std::unique_ptr<FileText> Open(const std::string& path, std::string& error);
  ~FileText() override;
  FileText(const FileText&) = delete;
  FileText& operator=(const FileText&) = delete;

  bool NextLine(std::string& line, bool& ended) override;
  std::string Failure() const override { return failure_; }
  bool Overlong() const override { return overlong_; }
  TextEnd End() const override { return end_; }

 private:
  explicit FileText(std::FILE* file);
  // Appends more text to the buffer, or marks the end.
  void Fill();
  void FillPlain();
  void FillInflated();
  // Keeps what is left of the raw input and reads more after it; false at
  // the end of the file or on a read error (then failure_ says so).
  bool ReadRaw();
  bool StartMember();
  void Finish(TextEnd end);

  std::FILE* file_;
  std::vector<unsigned char> raw_;
  std::unique_ptr<z_stream_s> stream_;
  bool gzip_ = false;
  bool inflating_ = false;   // z_ is set up
  bool memberEnded_ = false;
  std::string buffer_;
  std::size_t at_ = 0;
  bool done_ = false;
  bool overlong_ = false;
  TextEnd end_ = TextEnd::Whole;
  std::string failure_;
};

}  // namespace ptpdiag
