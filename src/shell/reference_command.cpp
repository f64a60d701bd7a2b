#include "shell/reference_command.h"

#include <filesystem>

#include "link/replay.h"
#include "platform/backed_window.h"
#include "shell/startup.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

constexpr const char* kTitle = "Compare With Recording";

void StopComparing(AppContext& app) {
  if (app.LoadingReference) app.LoadingReference->Cancel->store(true);
  app.LoadingReference.reset();  // waits for the thread, which stops at once
  app.Reference.reset();
  ShowStatusText(app.Window, "No recording compared");
}

}  // namespace

ReferenceResult ReadReferenceRecording(const std::string& path, const std::atomic<bool>& cancel) {
  CaptureError error;
  const std::unique_ptr<CaptureReader> reader = CaptureReader::Open(path, error);
  if (!reader) return error.Text();
  reader->SetCancel([&cancel] { return cancel.load(); });
  CaptureFeed feed([&reader] { return reader->Next(); });
  ReplayClock clock(reader->Start());
  AppContext ref(clock);
  NullCanvas blank;
  BackedWindow window(800, 560, &blank);
  SetStartValues(ref);
  CreateMainWindow(ref, window);
  ReplayPlan plan;
  plan.Timing = reader->Timing();
  plan.EndMs = [&reader] { return reader->EndMs(); };
  plan.Stop = [&reader, &cancel] { return cancel.load() || reader->Error().has_value(); };
  RunReplay(ref, window, clock, feed, plan);
  if (reader->Error()) return reader->Error()->Text();
  if (cancel.load()) return std::string("cancelled");
  window.Send(WM_CLOSE, 0, 0);
  const DiagnosticsStore& s = ref.Store;
  return ReferenceRecording{std::filesystem::path(path).filename().string(), s.FreqSignal, s.FreqNoise,
                            s.FreqVswr, s.FreqCurrent};
}

LRESULT CommandCompareWithRecording(AppContext& app) {
  PlatformWindow* window = app.Window.CurrentWindow;
  if (app.Reference || app.LoadingReference) {
    StopComparing(app);
    RepaintNow(app.Window, true);
    return 0;
  }
  FilePrompt prompt;
  prompt.Title = kTitle;
  prompt.Filter = "Capture Files|*.cap;*.gz|All Files|*.*";
  const std::optional<std::string> path = window->AskOpenPath(prompt);
  if (!path) return 0;
  ReferenceLoading loading;
  loading.Result = std::async(std::launch::async, [path = *path, cancel = loading.Cancel] {
    return ReadReferenceRecording(path, *cancel);
  });
  app.LoadingReference = std::move(loading);
  ShowStatusText(app.Window, "Reading " + std::filesystem::path(*path).filename().string() + " to compare...");
  return 0;
}

bool TakeLoadedReference(AppContext& app) {
  if (!app.LoadingReference) return false;
  std::future<ReferenceResult>& result = app.LoadingReference->Result;
  if (result.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return false;
  ReferenceResult loaded = result.get();
  app.LoadingReference.reset();
  // Said on the status bar: a message box here would hold the ticks.
  if (const std::string* why = std::get_if<std::string>(&loaded)) {
    ShowStatusText(app.Window, "Could not read the recording to compare: " + *why);
    return false;
  }
  app.Reference = std::move(std::get<ReferenceRecording>(loaded));
  ShowStatusText(app.Window, "Comparing with " + app.Reference->Name + " (dotted, screens 1 and 2)");
  return true;
}

}  // namespace ptpdiag
