// WM_COMMAND: the command table. Each identifier runs its action and ends
// as the table says: 0 directly, or the default procedure's result, with or
// without a repaint.
#pragma once

#include <string_view>

#include "platform/messages.h"

namespace ptpdiag {

struct AppContext;

inline constexpr std::string_view kSupportCaption = "Norvalen";
inline constexpr std::string_view kSupportText = "Norvalen's Support number is +44 1632 960 481";
inline constexpr std::string_view kRadioNotFound = "Radio Not Found!";
inline constexpr std::string_view kRadioNotFoundCaption = "Struck out!";

// The command in the low word of wParam.
LRESULT OnCommand(AppContext& app, std::uint32_t message, WPARAM wParam, LPARAM lParam);

// Locate Radio: asks for a serial number and selects the first radio with
// it (entries 0..RadioCount); 0, an empty text or Cancel select none.
void LocateRadio(AppContext& app);

}  // namespace ptpdiag
