// The program's string table: status-bar help for menu items, by command
// identifier.
#pragma once

#include <cstdint>
#include <string_view>

namespace ptpdiag {

inline constexpr std::string_view kProgramCaption = "Norvalen PTP Diagnostics 1.00";

// The text for `id`, or an empty text when the table has none.
std::string_view LoadMenuHelp(std::uint32_t id);

}  // namespace ptpdiag
