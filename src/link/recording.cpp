#include "link/recording.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "link/capture_recorder.h"
#include "state/app_context.h"

namespace ptpdiag {

void AdoptRecording(AppContext& app, CaptureRecorder&& recorder, bool begin) {
  app.Link.OwnedRecorder = std::make_shared<CaptureRecorder>(std::move(recorder));
  app.Link.Recorder = app.Link.OwnedRecorder.get();
  if (begin) BeginRecording(app);
}

void BeginRecording(AppContext& app) {
  if (app.Link.Recorder == nullptr) return;
  app.Link.Recorder->Begin(app.Elapsed.OriginMonotonicMs(), app.Elapsed.OriginLocal());
}

std::optional<std::string> StartRecording(AppContext& app, const std::string& path,
                                          bool replaceExisting) {
  if (const auto failure = StopRecording(app)) return failure;
  std::error_code removed;
  if (replaceExisting && !std::filesystem::remove(path, removed) && removed) {
    return "cannot replace " + path + ": " + removed.message();
  }
  std::string error;
  std::optional<CaptureRecorder> recorder = CaptureRecorder::Create(path, error);
  if (!recorder) return error;
  AdoptRecording(app, std::move(*recorder), true);
  return std::nullopt;
}

bool IsRecording(const AppContext& app) {
  return app.Link.Recorder != nullptr;
}

std::optional<std::string> StopRecording(AppContext& app) {
  CaptureRecorder* recorder = app.Link.Recorder;
  if (recorder == nullptr) return std::nullopt;
  recorder->Finish();
  app.Link.Recorder = nullptr;
  std::optional<std::string> failure;
  if (recorder->Failed()) {
    failure = "the recording " + recorder->Path() + " is incomplete: " + recorder->FailureText();
  }
  app.Link.OwnedRecorder.reset();
  return failure;
}

}  // namespace ptpdiag
