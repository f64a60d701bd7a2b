// SIGINT and SIGTERM as stop requests (platform/stop_requests.h), with a
// pipe that an event loop can watch to hear of one at once.
#pragma once

#include "platform/stop_requests.h"

namespace ptpdiag {

// The pipe's read end, readable once a request arrived; -1 before
// InstallStopRequests or when no pipe could be made.
int StopRequestWakeFd();
// Empties the pipe, so the loop is woken once per request.
void DrainStopRequestWakes();

}  // namespace ptpdiag
