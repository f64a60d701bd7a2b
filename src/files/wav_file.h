// A WAV file written as it grows: 16-bit mono PCM, its sizes filled in at
// the end. A WAV cannot hold more than 4 GiB; past that it stops growing
// and says so.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>

namespace ptpdiag {

class WavFile {
 public:
  WavFile() = default;
  WavFile(const WavFile&) = delete;
  WavFile& operator=(const WavFile&) = delete;
  ~WavFile();

  // The reason when it cannot be created.
  [[nodiscard]] std::optional<std::string> Open(const std::string& path, int sampleRate);
  void Append(std::span<const std::int16_t> samples);
  // Writes the sizes and closes; the reason when something failed to be
  // written (the first failure, or the size limit reached).
  [[nodiscard]] std::optional<std::string> Close();

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  std::uint64_t dataBytes_ = 0;
  int sampleRate_ = 0;
  std::optional<std::string> failure_;
};

}  // namespace ptpdiag
