#include "files/wav_file.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

namespace ptpdiag {
namespace {

constexpr std::uint64_t kHeaderBytes = 44;
constexpr std::uint64_t kMostDataBytes = 0xFFFFFFFFull - kHeaderBytes + 8;

void Put32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void Put16(std::uint8_t* at, std::uint16_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
}

std::array<std::uint8_t, kHeaderBytes> Header(int sampleRate, std::uint32_t dataBytes) {
  std::array<std::uint8_t, kHeaderBytes> h{};
  std::memcpy(h.data(), "RIFF", 4);
  Put32(h.data() + 4, static_cast<std::uint32_t>(36 + dataBytes));
  std::memcpy(h.data() + 8, "WAVEfmt ", 8);
  Put32(h.data() + 16, 16);
  Put16(h.data() + 20, 1);  // PCM
  Put16(h.data() + 22, 1);  // mono
  Put32(h.data() + 24, static_cast<std::uint32_t>(sampleRate));
  Put32(h.data() + 28, static_cast<std::uint32_t>(sampleRate * 2));
  Put16(h.data() + 32, 2);
  Put16(h.data() + 34, 16);
  std::memcpy(h.data() + 36, "data", 4);
  Put32(h.data() + 40, dataBytes);
  return h;
}

}  // namespace

WavFile::~WavFile() {
  if (file_ != nullptr) (void)Close();
}

std::optional<std::string> WavFile::Open(const std::string& path, int sampleRate) {
  path_ = path;
  errno = 0;
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) return "cannot write " + path + ": " + std::strerror(errno != 0 ? errno : EIO);
  const auto header = Header(sampleRate, 0);
  if (std::fwrite(header.data(), 1, header.size(), file_) != header.size()) {
    failure_ = "cannot write " + path + ": " + std::strerror(errno != 0 ? errno : EIO);
  }
  // The rate goes in again at Close, with the sizes.
  dataBytes_ = 0;
  sampleRate_ = sampleRate;
  return std::nullopt;
}

void WavFile::Append(std::span<const std::int16_t> samples) {
  if (file_ == nullptr || failure_ || samples.empty()) return;
  const std::uint64_t bytes = samples.size() * 2;
  if (dataBytes_ + bytes > kMostDataBytes) {
    failure_ = path_ + " is full: a WAV holds at most 4 GiB (about 13 hours at 44.1 kHz)";
    return;
  }
  std::vector<std::uint8_t> le(bytes);
  for (std::size_t i = 0; i < samples.size(); ++i)
    Put16(le.data() + 2 * i, static_cast<std::uint16_t>(samples[i]));
  if (std::fwrite(le.data(), 1, le.size(), file_) != le.size()) {
    failure_ = "cannot write " + path_ + ": " + std::strerror(errno != 0 ? errno : EIO);
    return;
  }
  dataBytes_ += bytes;
}

std::optional<std::string> WavFile::Close() {
  if (file_ == nullptr) return failure_;
  const auto header = Header(sampleRate_, static_cast<std::uint32_t>(dataBytes_));
  if (std::fseek(file_, 0, SEEK_SET) != 0 ||
      std::fwrite(header.data(), 1, header.size(), file_) != header.size()) {
    if (!failure_) failure_ = "cannot write " + path_ + ": " + std::strerror(errno != 0 ? errno : EIO);
  }
  if (std::fclose(file_) != 0 && !failure_) {
    failure_ = "cannot write " + path_ + ": " + std::strerror(errno != 0 ? errno : EIO);
  }
  file_ = nullptr;
  return failure_;
}

}  // namespace ptpdiag
