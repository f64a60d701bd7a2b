// Link events: counted on the store (the footer's "Num= Type= Value=" line
// shows them), in the tally since start, and told in words.
#pragma once

#include <cstdint>

#include "platform/link_error.h"

namespace ptpdiag {

struct AppContext;

// Link event type for a UDP read that found fewer bytes than wanted.
inline constexpr std::int32_t kLinkEventUdpShortfall = kErrUdpShortfall;

// Counts link event `type` (>= 0) with `value`, and tells the tick's view.
void CountLinkEvent(AppContext& app, std::int32_t type, std::int32_t value);

// The event of `error` counted, and its words on the status bar (unless a
// menu item's help is showing there) and in the link's event log.
void ReportLinkError(AppContext& app, const LinkError& error);

}  // namespace ptpdiag
