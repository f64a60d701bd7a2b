// The console of a GUI-subsystem program: started from cmd or PowerShell
// it writes there (help, errors, headless runs); started by a double-click
// it opens no console window. Ctrl+C, Ctrl+Break and closing the console
// end a run as closing the window does.
#pragma once

#include <functional>

#include "platform/stop_requests.h"

namespace ptpdiag {

// Makes standard output and error reach the parent's console when they
// are not already redirected to a file or pipe, and takes the stop
// requests over (InstallStopRequests). Call first in main().
void AttachParentConsole();

// From now on, console stop events call `stop` on the thread that raised
// them (the window's must be reached by posting); closing the console
// waits for FinishConsoleStops, up to the few seconds Windows grants.
void SetConsoleStopHandler(std::function<void()> stop);
void ClearConsoleStopHandler();
// The program has written its outputs: a pending console close may end it.
void FinishConsoleStops();

}  // namespace ptpdiag
