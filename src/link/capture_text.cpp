#include "link/capture_text.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>

namespace ptpdiag {
namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr unsigned char kGzipMagic[2] = {0x1f, 0x8b};
// zlib: set in data_type when inflate stopped between two blocks, as it
// does at the end of a flush.
constexpr int kBetweenBlocks = 128;

}  // namespace

std::unique_ptr<FileText> FileText::Open(const std::string& path, std::string& error) {
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = errno != 0 ? std::strerror(errno) : "";
    return nullptr;
  }
  return std::unique_ptr<FileText>(new FileText(file));
}

FileText::FileText(std::FILE* file) : file_(file), stream_(std::make_unique<z_stream>()) {
  z_stream* const z = stream_.get();
  raw_.reserve(kChunk);
  if (ReadRaw() && raw_.size() >= 2 && raw_[0] == kGzipMagic[0] && raw_[1] == kGzipMagic[1]) {
    gzip_ = true;
    inflating_ = inflateInit2(z, 16 + MAX_WBITS) == Z_OK;
    if (!inflating_) {
      failure_ = "cannot set up the decompression";
      Finish(TextEnd::Whole);
    }
    z->next_in = raw_.data();
    z->avail_in = static_cast<uInt>(raw_.size());
  }
}

FileText::~FileText() {
  z_stream* const z = stream_.get();
  if (inflating_) inflateEnd(z);
  std::fclose(file_);
}

bool FileText::NextLine(std::string& line, bool& ended) {
  for (;;) {
    const std::size_t newline = buffer_.find('\n', at_);
    if (newline != std::string::npos) {
      line.assign(buffer_, at_, newline - at_);
      at_ = newline + 1;
      ended = true;
      return true;
    }
    if (buffer_.size() - at_ > kMaxCaptureLineBytes) {
      overlong_ = true;
      return false;
    }
    if (done_) {
      if (at_ >= buffer_.size()) return false;
      line.assign(buffer_, at_, std::string::npos);
      at_ = buffer_.size();
      ended = false;
      return true;
    }
    Fill();
  }
}

void FileText::Fill() {
  buffer_.erase(0, at_);
  at_ = 0;
  if (done_) return;
  if (gzip_) {
    FillInflated();
  } else {
    FillPlain();
  }
}

// A plain file: the bytes read first, then the rest.
void FileText::FillPlain() {
  if (!raw_.empty()) {
    buffer_.append(reinterpret_cast<const char*>(raw_.data()), raw_.size());
    raw_.clear();
    return;
  }
  if (!ReadRaw()) {
    Finish(TextEnd::Whole);
    return;
  }
  buffer_.append(reinterpret_cast<const char*>(raw_.data()), raw_.size());
  raw_.clear();
}

void FileText::FillInflated() {
  z_stream* const z = stream_.get();
  char out[kChunk];
  for (;;) {
    if (z->avail_in == 0 || (memberEnded_ && z->avail_in < 2)) {
      if (!ReadRaw()) {
        if (!failure_.empty()) return Finish(TextEnd::Whole);
        if (memberEnded_) {
          if (z->avail_in > 0) failure_ = "something other than compressed data follows its end";
          return Finish(TextEnd::Whole);
        }
        return Finish((z->data_type & kBetweenBlocks) != 0 ? TextEnd::Unclosed : TextEnd::Cut);
      }
    }
    if (memberEnded_ && !StartMember()) return;
    z->next_out = reinterpret_cast<Bytef*>(out);
    z->avail_out = sizeof out;
    const int result = inflate(z, Z_NO_FLUSH);
    const std::size_t produced = sizeof out - z->avail_out;
    buffer_.append(out, produced);
    if (result == Z_STREAM_END) {
      memberEnded_ = true;
    } else if (result != Z_OK && !(result == Z_BUF_ERROR && z->avail_in == 0)) {
      failure_ = std::string("the compressed data is damaged (") +
                 (z->msg != nullptr ? z->msg : "unreadable") + ")";
      return Finish(TextEnd::Whole);
    }
    if (produced > 0) return;
  }
}

// After a member's end only another member may follow (gzip files may be
// joined end to end).
bool FileText::StartMember() {
  z_stream* const z = stream_.get();
  if (z->next_in[0] != kGzipMagic[0] || z->next_in[1] != kGzipMagic[1]) {
    failure_ = "something other than compressed data follows its end";
    Finish(TextEnd::Whole);
    return false;
  }
  inflateReset(z);
  memberEnded_ = false;
  return true;
}

bool FileText::ReadRaw() {
  z_stream* const z = stream_.get();
  const std::size_t kept = gzip_ ? z->avail_in : raw_.size();
  if (gzip_ && kept > 0) std::memmove(raw_.data(), z->next_in, kept);
  raw_.resize(kept + kChunk);
  const std::size_t n = std::fread(raw_.data() + kept, 1, kChunk, file_);
  raw_.resize(kept + n);
  if (gzip_) {
    z->next_in = raw_.data();
    z->avail_in = static_cast<uInt>(raw_.size());
  }
  if (n == 0 && std::ferror(file_)) failure_ = std::string("read error: ") + std::strerror(errno);
  return n > 0;
}

void FileText::Finish(TextEnd end) {
  done_ = true;
  end_ = end;
}

}  // namespace ptpdiag
