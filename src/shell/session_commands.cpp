#include "shell/session_commands.h"

#include <string>

#include "files/csv_export.h"
#include "link/capture_recorder.h"
#include "link/recording.h"
#include "report/link_report.h"
#include "resources/main_menu.h"
#include "screens/connection_line.h"
#include "shell/link_commands.h"
#include "shell/save_prompt.h"
#include "shell/site_dialog.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

constexpr const char* kRecordTitle = "Record";
constexpr const char* kExportTitle = "Export CSV";
constexpr const char* kPictureTitle = "Save Picture";

FilePrompt Prompt(const AppContext& app, const char* title, const char* filter,
                  const char* extension) {
  FilePrompt prompt;
  prompt.Title = title;
  prompt.FileName = DefaultSaveName(app, extension);
  prompt.Filter = filter;
  prompt.DefaultExtension = extension;
  return prompt;
}

std::vector<std::string> TheFileItself(const std::string& path) {
  return {path};
}

std::vector<std::string> CsvFiles(const std::string& path) {
  const std::string name = CsvBaseName(path);
  return {name + "-channels.csv", name + "-history.csv"};
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
  const std::optional<std::string> failure = StopRecording(app);
  ShowRecordingNote(app);
  if (failure) {
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
  const auto path =
      AskSaveTarget(app, Prompt(app, kRecordTitle, "Capture Files|*.cap;*.gz|All Files|*.*", "cap"),
                    TheFileItself);
  if (!path) return 0;
  if (const auto failure = StartRecording(app, *path, true)) {
    Fail(app, kRecordTitle, "Could not start recording.", *failure);
  } else {
    Say(app, "Recording to " + *path);
  }
  ShowRecordingNote(app);
  return 0;
}

LRESULT CommandStopRecording(AppContext& app) {
  if (IsRecording(app)) EndRecording(app);
  return 0;
}

LRESULT CommandExportCsv(AppContext& app) {
  const auto path = AskSaveTarget(
      app, Prompt(app, kExportTitle, "CSV Files|*.csv|All Files|*.*", "csv"), CsvFiles);
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
  const auto path = AskSaveTarget(
      app, Prompt(app, kPictureTitle, "PNG Pictures|*.png|All Files|*.*", "png"), TheFileItself);
  if (!path) return 0;
  if (const auto failure = app.Window.CurrentWindow->SavePicture(*path)) {
    Fail(app, kPictureTitle, "Could not save the picture.", *failure);
  } else {
    Say(app, "Saved " + *path);
  }
  return 0;
}

LRESULT CommandLinkReport(AppContext& app) {
  constexpr const char* kTitle = "Link Report";
  if (!app.WriteLinkReport) return 0;  // a run without the report writer
  if (!AskSiteDetails(app)) return 0;
  const auto path = AskSaveTarget(
      app, Prompt(app, kTitle, "HTML Pages|*.html;*.htm|All Files|*.*", "html"),
      [](const std::string& page) { return std::vector<std::string>{page, TwinJsonPath(page)}; });
  if (!path) return 0;
  if (const auto failure = app.WriteLinkReport(*path)) {
    Fail(app, kTitle, "Could not write the report.", *failure);
  } else {
    Say(app, "Wrote " + *path + " and " + TwinJsonPath(*path));
  }
  return 0;
}

void UpdateMenuStates(AppContext& app) {
  PlatformWindow* window = app.Window.CurrentWindow;
  window->CheckMenuItem(IDM_RECORD, IsRecording(app));
  window->CheckMenuItem(IDM_TONE, app.ToneOn);
  window->CheckMenuItem(IDM_COMPARE_RECORDING, app.Reference.has_value() || app.LoadingReference.has_value());
  window->EnableMenuItem(IDM_STOP_RECORDING, IsRecording(app));
  window->EnableMenuItem(IDM_CLOSE_NETWORK, app.Link.NetLinkMode != NetLink::None);
}

}  // namespace ptpdiag
