// A small seeded generator whose output is the same on every platform and
// standard library, so a seed always reproduces the same capture.
#pragma once

#include <cstdint>

namespace ptpdiag::sim {

// SplitMix64: one 64-bit state word, good enough statistics for test data.
class Prng {
 public:
  explicit Prng(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  // Uniform in [0, 1) with 53 random bits.
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

  // Uniform integer in [0, n) for 0 < n < 2^32; the bias of the multiply is
  // far below anything a capture could show.
  int Below(int n) {
    return static_cast<int>(((Next() >> 32) * static_cast<std::uint64_t>(n)) >> 32);
  }

  // Uniform integer in [low, high].
  int Between(int low, int high) { return low + Below(high - low + 1); }

  bool Chance(double p) { return Uniform() < p; }

  // Roughly normal with mean 0 and deviation 1: the sum of four uniforms,
  // rescaled. Plain arithmetic keeps it identical everywhere, and the tails
  // stop at about 3.5, which suits readings a radio can produce.
  double Gauss() {
    const double sum = Uniform() + Uniform() + Uniform() + Uniform();
    return (sum - 2.0) * 1.7320508075688772;
  }

 private:
  std::uint64_t state_;
};

// A seed for an independent stream derived from `seed`.
inline std::uint64_t DeriveSeed(std::uint64_t seed, std::uint64_t stream) {
  Prng mixer(seed ^ (stream * 0xD1B54A32D192ED03ULL));
  return mixer.Next();
}

}  // namespace ptpdiag::sim
