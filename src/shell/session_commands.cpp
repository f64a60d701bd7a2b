#include "shell/session_commands.h"

#include <string>

#include "files/csv_export.h"
#include "link/capture_recorder.h"
#include "link/recording.h"
#include "resources/main_menu.h"
#include "shell/link_commands.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

constexpr const char* kRecordTitle = "Record";
constexpr const char* kExportTitle = "Export CSV";
constexpr const char* kPictureTitle = "Save Picture";

FilePrompt Prompt(const char* title, const char* name, const char* filter, const char* extension) {
  FilePrompt prompt;
  prompt.Title = title;
  prompt.FileName = name;
  prompt.Filter = filter;
  prompt.DefaultExtension = extension;
  return prompt;
}

void Fail(AppContext& app, const char* caption, const std::string& text, const std::string& why) {
  app.Window.CurrentWindow->MessageBox(text, caption, why);
}

void Say(AppContext& app, const std::string& text) {
  app.Window.MenuHelpShown = false;
  ShowStatusText(app.Window, text);
}

void EndRecording(AppContext& app) {
  const std::string path = app.Link.Recorder->Path();
  if (const auto failure = StopRecording(app)) {
    Fail(app, kRecordTitle, "The recording is incomplete.", *failure);
  } else {
    Say(app, "Recorded to " + path);
  }
}

}  // namespace

LRESULT CommandRecord(AppContext& app) {
  if (IsRecording(app)) {
    EndRecording(app);
    return 0;
  }
  const auto path = app.Window.CurrentWindow->AskSavePath(
      Prompt(kRecordTitle, "ptpdiag.cap", "Capture Files|*.cap;*.gz|All Files|*.*", "cap"));
  if (!path) return 0;
  if (const auto failure = StartRecording(app, *path)) {
    Fail(app, kRecordTitle, "Could not start recording.", *failure);
  } else {
    Say(app, "Recording to " + *path);
  }
  return 0;
}

LRESULT CommandExportCsv(AppContext& app) {
  const auto path = app.Window.CurrentWindow->AskSavePath(
      Prompt(kExportTitle, "ptpdiag.csv", "CSV Files|*.csv|All Files|*.*", "csv"));
  if (!path) return 0;
  const std::string name = CsvBaseName(*path);
  if (const auto failure = ExportCsv(app, name)) {
    Fail(app, kExportTitle, "Could not export the figures.", *failure);
  } else {
    Say(app, "Wrote " + name + "-channels.csv and " + name + "-history.csv");
  }
  return 0;
}

LRESULT CommandSavePicture(AppContext& app) {
  PlatformWindow* window = app.Window.CurrentWindow;
  const auto path =
      window->AskSavePath(Prompt(kPictureTitle, "ptpdiag.png", "PNG Pictures|*.png|All Files|*.*", "png"));
  if (!path) return 0;
  if (const auto failure = window->SavePicture(*path)) {
    Fail(app, kPictureTitle, "Could not save the picture.", *failure);
  } else {
    Say(app, "Saved " + *path);
  }
  return 0;
}

void UpdateMenuStates(AppContext& app) {
  PlatformWindow* window = app.Window.CurrentWindow;
  window->CheckMenuItem(kCmdRecord, IsRecording(app));
  window->EnableMenuItem(kCmdCloseNetwork, app.Link.NetLinkMode != kNetLinkNone);
}

}  // namespace ptpdiag
