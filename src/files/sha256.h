// SHA-256 (FIPS 180-4), for naming the exact capture a report was made from.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace ptpdiag {

class Sha256 {
 public:
  void Add(std::span<const std::uint8_t> bytes);
  // The digest in lower-case hex; the object is spent afterwards.
  std::string HexDigest();

 private:
  void Block(const std::uint8_t* block);
  std::array<std::uint32_t, 8> h_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                  0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  std::array<std::uint8_t, 64> pending_{};
  std::size_t pendingSize_ = 0;
  std::uint64_t length_ = 0;
};

// The digest of a file's bytes, or nothing when it cannot be read.
std::optional<std::string> Sha256OfFile(const std::string& path);

}  // namespace ptpdiag
