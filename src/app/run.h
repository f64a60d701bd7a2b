// The two ways the program runs: headless (no window; exits by itself) and
// with its window on screen.
#pragma once

#include "app/options.h"

namespace ptpdiag {

// Exit code of a headless live run whose link did not open.
inline constexpr int kExitLinkFailed = 3;

// Returns the process exit code. Needs a Qt GUI application for a live
// link or a PNG snapshot.
int RunHeadless(const Options& options);

// Needs a QApplication; runs its event loop until the window ends.
int RunWindowed(const Options& options);

}  // namespace ptpdiag
