// The 250 ms timer tick (WM_TIMER): the clock, the link's upkeep and the
// frames that arrived (link/frame_drain), drawn as they come: the raw
// bytes, the link event line, the connection line, the header values; then
// the measuring period closed into the history and the screens whose data
// changed repainted.
#pragma once

#include "platform/messages.h"

namespace ptpdiag {

struct AppContext;

// Runs one tick; a tick that finds one still running returns at once.
// Returns 0.
LRESULT RunPollCycle(AppContext& app);

}  // namespace ptpdiag
