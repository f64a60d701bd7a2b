#include "app/startup_commands.h"

namespace ptpdiag {

constexpr WPARAM kCmdFileOpen = 3073;

void RunStartupCommands(BackedWindow& window, const Options& options) {
  if (options.OpenFile) {
    // The Open command, with the file prompt answered.
    window.FileAnswers.push_back(*options.OpenFile);
    window.Send(WM_COMMAND, kCmdFileOpen, 0);
  }
  for (const std::uint16_t id : options.Commands) {
    if (window.QuitPosted()) return;
    window.Send(WM_COMMAND, id, 0);
  }
}

}  // namespace ptpdiag
