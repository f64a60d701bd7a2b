// Start-up: the start values of the application's state and the creation of
// the main window.
#pragma once

#include "platform/backed_window.h"

namespace ptpdiag {

struct AppContext;

// Start values set before the window exists: "Com1", screen 3.
void SetStartValues(AppContext& app);

// Installs WNDPROC on `window` and sends it WM_CREATE, which resets the
// statistics and paints the first screen before this returns.
void CreateMainWindow(AppContext& app, BackedWindow& window);

}  // namespace ptpdiag
