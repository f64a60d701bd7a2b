// The two ways the program runs: headless (no window; exits by itself) and
// with its window on screen.
#pragma once

#include "app/options.h"

namespace ptpdiag {

// Returns the process exit code. Needs a Qt GUI application only when a
// PNG snapshot is asked for.
int RunHeadless(const Options& options);

// Needs a QApplication; runs its event loop until the window ends.
int RunWindowed(const Options& options);

}  // namespace ptpdiag
