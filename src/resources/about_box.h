// The About box "ABOUT": its caption and three lines of text, shown by
// every backend.
#pragma once

#include <array>
#include <string_view>

namespace ptpdiag {

inline constexpr std::string_view kAboutCaption = "About ptpdiag";
inline constexpr std::array<std::string_view, 3> kAboutLines = {
    "Norvalen Point To Point Diagnostics Version 1.00",
    "05/03/2003  Norvalen engineering",
    "For frequency-hopping point to point links.",
};

}  // namespace ptpdiag
