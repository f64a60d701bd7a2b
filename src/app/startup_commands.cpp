#include "app/startup_commands.h"

#include "resources/command_ids.h"
#include "state/app_context.h"

namespace ptpdiag {

bool RunStartupCommands(const AppContext& app, BackedWindow& window, const Options& options) {
  bool opened = true;
  if (options.OpenFile) {
    // The Open command, with the file prompt answered; it names the list
    // after the file only when the file was read.
    window.FileAnswers.push_back(*options.OpenFile);
    window.Send(WM_COMMAND, IDM_FILE_OPEN, 0);
    opened = app.Radios.RadioFileName == *options.OpenFile;
  }
  for (const std::uint16_t id : options.Commands) {
    if (window.QuitPosted()) break;
    window.Send(WM_COMMAND, id, 0);
  }
  return opened;
}

}  // namespace ptpdiag
