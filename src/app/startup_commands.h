// What the command line asks for once the window exists: a radio file to
// load, then commands, each through the window procedure as its menu item
// or prompt would send it.
#pragma once

#include "app/options.h"
#include "platform/backed_window.h"

namespace ptpdiag {

struct AppContext;

// False when the radio file --open names could not be loaded (its message
// box says why).
[[nodiscard]] bool RunStartupCommands(const AppContext& app, BackedWindow& window, const Options& options);

}  // namespace ptpdiag
