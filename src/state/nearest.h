// Real-to-integer conversion and 32-bit arithmetic as the store's rules need.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace ptpdiag {

// Nearest integer, ties to even. Results outside the 32-bit range saturate
// and NaN gives 0, so corrupt input can never make the conversion undefined.
inline std::int32_t Nearest(double x) {
  if (std::isnan(x)) return 0;
  const double r = std::nearbyint(x);
  if (r >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (r <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(r);
}

// Two's-complement wrap of a wider sum into a 32-bit (LONG) slot, the way
// the 32-bit accumulators behave; never undefined behaviour.
inline std::int32_t Wrap32(std::int64_t x) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(x)));
}

inline void WrapAdd(std::int32_t& target, std::int64_t delta) {
  target = Wrap32(static_cast<std::int64_t>(target) + delta);
}

// Single-precision constants, widened where the arithmetic happens.
inline constexpr double kNineTenths = static_cast<double>(0.9F);

}  // namespace ptpdiag
