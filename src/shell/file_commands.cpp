#include "shell/file_commands.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <variant>

#include "files/radio_file.h"
#include "link/reset_statistics.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

constexpr const char* kOpenTitle = "Open Radio File";
constexpr const char* kSaveTitle = "Save  File";

std::string CurrentFolder() {
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::current_path(ec);
  return ec ? std::string() : folder.string();
}

FilePrompt PromptFor(const AppContext& app, const char* title) {
  FilePrompt prompt;
  prompt.Title = title;
  prompt.FileName = app.Radios.RadioFileName;
  prompt.InitialDir = app.Radios.FileDialogDir;
  return prompt;
}

void Tell(AppContext& app, const std::string& text, const char* caption) {
  if (PlatformWindow* window = app.Window.CurrentWindow) window->MessageBox(text, caption, "");
}

void Load(AppContext& app, RadioFileContents&& contents) {
  RadioList& list = app.Radios;
  std::size_t n = 0;
  for (const RadioRecord& record : contents.Records) {
    ++n;
    list.RadioSerial[n] = record.Serial;
    list.RadioRepeaterNumber[n] = record.Repeater;
    list.RadioName[n] = record.Name;
  }
  list.RadioCount = static_cast<std::int32_t>(n);
  if (contents.Address) app.Link.UdpAddress = std::move(*contents.Address);
  if (contents.Port) app.Link.UdpPort = std::move(*contents.Port);
}

void Save(AppContext& app) {
  const std::variant<std::string, RadioFileRefusal> formatted =
      FormatRadioFile(app.Link.UdpAddress, app.Link.UdpPort, app.Radios);
  if (const auto* refusal = std::get_if<RadioFileRefusal>(&formatted)) {
    Tell(app, refusal->Reason, kSaveTitle);
    return;
  }
  const std::string& path = app.Radios.RadioFileName;
  if (std::optional<std::string> error = WriteFileReplacing(path, std::get<std::string>(formatted)))
    Tell(app, *error + " The old file, if any, is unchanged.", kSaveTitle);
}

}  // namespace

void FileNew(AppContext& app) {
  ResetRadioList(app.Radios);
  ResetStatistics(app);
}

bool FileOpen(AppContext& app) {
  app.Radios.FileDialogDir = CurrentFolder();
  PlatformWindow* window = app.Window.CurrentWindow;
  if (window == nullptr) return false;
  const std::optional<std::string> path = window->AskOpenPath(PromptFor(app, kOpenTitle));
  if (!path) return false;
  FileReadResult read = ReadWholeFile(*path);
  if (!read.Error.empty()) {
    Tell(app, read.Error + " The radio list is unchanged.", kOpenTitle);
    return false;
  }
  app.Radios.RadioFileName = *path;
  RadioFileContents contents = ParseRadioFile(read.Bytes);
  const std::size_t notLoaded = contents.RecordsNotLoaded;
  Load(app, std::move(contents));
  if (notLoaded > 0)
    Tell(app,
         "Only the first " + std::to_string(kRadioCapacity) + " radios of \"" + *path +
             "\" were loaded; " + std::to_string(notLoaded) + " more were left out.",
         kOpenTitle);
  ResetStatistics(app);
  return true;
}

void FileClose(AppContext& app) {
  Tell(app, "CLOSE selected", "Norvalen");
}

void FileSave(AppContext& app) {
  app.Radios.FileDialogDir = CurrentFolder();
  PlatformWindow* window = app.Window.CurrentWindow;
  if (window == nullptr) return;
  if (std::optional<std::string> path = window->AskSavePath(PromptFor(app, kSaveTitle))) {
    app.Radios.RadioFileName = std::move(*path);
    Save(app);
  }
  RepaintNow(app.Window, true);
}

}  // namespace ptpdiag
