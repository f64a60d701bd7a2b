// The 250 ms poll cycle: drains the frames that arrived, draws the raw
// bytes, the clock and the header values, closes measuring periods into the
// history and repaints the screens whose data changed.
#pragma once

#include <cstdint>

#include "platform/link_error.h"
#include "platform/messages.h"

namespace ptpdiag {

struct AppContext;

// Link event type for a UDP read that found fewer bytes than wanted.
inline constexpr std::int32_t kLinkEventUdpShortfall = kErrUdpShortfall;

// Runs one cycle (WM_TIMER); a cycle that finds one still running returns
// at once. Returns 0.
LRESULT RunPollCycle(AppContext& app);

// Records a link event (type >= 0) and draws the footer's event line on
// ScreenDC when one is valid; type -1 only redraws.
void LinkEventLine(AppContext& app, std::int32_t type, std::int32_t value);

// A link event with its words on the status bar (unless a menu item's
// help is showing there): LinkEventLine(error.Code, error.Extended).
void ReportLinkError(AppContext& app, const LinkError& error);

// Bytes the active link has ready: the ring count for a network link, the
// serial driver's queue, a replayed capture, or 0.
std::int32_t LinkBytesAvailable(AppContext& app);

}  // namespace ptpdiag
