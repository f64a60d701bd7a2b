// The two ways the program runs: headless (no window; exits by itself) and
// with its window on screen, each on the backend it is given.
#pragma once

#include "app/backend.h"
#include "app/options.h"

namespace ptpdiag {

// Exit code of a headless live run whose link did not open.
inline constexpr int kExitLinkFailed = 3;

// Returns the process exit code.
int RunHeadless(const Options& options, AppBackend& backend);

// Runs the backend's event loop until the window ends.
int RunWindowed(const Options& options, AppBackend& backend);

}  // namespace ptpdiag
