#include "app/startup_commands.h"

#include "resources/command_ids.h"
#include "state/app_context.h"

namespace ptpdiag {

StartupOutcome RunStartupCommands(const AppContext& app, BackedWindow& window,
                                  const Options& options) {
  StartupOutcome outcome;
  if (options.OpenFile) {
    // The Open command, with the file prompt answered; it names the list
    // after the file only when the file was read.
    window.FileAnswers.push_back(*options.OpenFile);
    window.Send(WM_COMMAND, IDM_FILE_OPEN, 0);
    outcome.Opened = app.Radios.RadioFileName == *options.OpenFile;
  }
  for (const std::uint16_t id : options.Commands) {
    if (window.QuitPosted()) break;
    window.Send(WM_COMMAND, id, 0);
  }
  if (options.SaveFile && !window.QuitPosted()) {
    // The Save command, its prompt answered: it says why in a message box
    // when the list cannot be saved.
    const std::size_t boxes = window.MessageBoxes().size();
    window.FileAnswers.push_back(*options.SaveFile);
    window.Send(WM_COMMAND, IDM_FILE_SAVE, 0);
    outcome.Saved = window.MessageBoxes().size() == boxes;
  }
  return outcome;
}

}  // namespace ptpdiag
