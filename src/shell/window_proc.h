// The main window procedure: a preamble for every message, then dispatch
// on the message number.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/messages.h"
#include "platform/window.h"

namespace ptpdiag {

struct AppContext;

// Default text of the UDP password, set again by every message.
inline constexpr std::string_view kDefaultUdpPassword = "NRVL";

LRESULT WNDPROC(AppContext& app, PlatformWindow* window, std::uint32_t message, WPARAM wParam,
                LPARAM lParam);

}  // namespace ptpdiag
