// Ctrl+C and SIGTERM (on Windows the console's control events) ask a run to
// end by itself, as closing the window does, instead of ending the process.
// One helper per system, shared by ptpdiag and ptpdiag-sim:
// platform/os/stop_signals.cpp and platform/win32/console.cpp.
#pragma once

namespace ptpdiag {

// Takes the requests over for the rest of the process; later calls do
// nothing. A request that arrives before anyone looks is kept.
void InstallStopRequests();
// True once a request has arrived; never waits.
bool StopRequested();

}  // namespace ptpdiag
