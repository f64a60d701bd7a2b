// What the command line asks for once the window exists: a radio file to
// load, commands, then the radio list to save, each through the window
// procedure as its menu item or prompt would send it.
#pragma once

#include "app/options.h"
#include "platform/backed_window.h"

namespace ptpdiag {

struct AppContext;

struct [[nodiscard]] StartupOutcome {
  bool Opened = true;  // false: the --open file could not be loaded
  bool Saved = true;   // false: the --save file could not be written
};

// Each failure's message box says why.
StartupOutcome RunStartupCommands(const AppContext& app, BackedWindow& window,
                                  const Options& options);

}  // namespace ptpdiag
