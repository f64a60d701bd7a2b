// The '#'-mask number formatter used by every screen, the header and the
// dialogs.
#pragma once

#include <concepts>
#include <string>
#include <string_view>

namespace ptpdiag {

// Formats `value` by `mask`:
//   '#'   digit place, shows nothing when it gets no digit (a fill place once
//         a fill character has been set earlier in the mask);
//   '0'   digit place, shows 0 when it gets no digit;
//   '*c'  sets c as the fill character and adds two fill places;
//   '.'   (the first one) separates integer from fraction places;
//   anything else is copied where it stands.
// The absolute value is rounded to the fraction places, ties to even on its
// exact decimal digits; trailing fraction zeros are not shown; integer digits
// that do not fit are written left of the leftmost place (never cut); a
// negative value puts '-' in the first place left of its digits.
std::string FormatMasked(double value, std::string_view mask);

template <std::integral T>
std::string FormatMasked(T value, std::string_view mask) {
  return FormatMasked(static_cast<double>(value), mask);
}

inline std::string FormatMasked(float value, std::string_view mask) {
  return FormatMasked(static_cast<double>(value), mask);
}

}  // namespace ptpdiag
