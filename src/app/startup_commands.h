// What the command line asks for once the window exists: a radio file to
// load, then commands, each through the window procedure as its menu item
// or prompt would send it.
#pragma once

#include "app/options.h"
#include "platform/backed_window.h"

namespace ptpdiag {

void RunStartupCommands(BackedWindow& window, const Options& options);

}  // namespace ptpdiag
