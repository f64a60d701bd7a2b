#include "app/run.h"

#include <QCoreApplication>
#include <iostream>
#include <memory>

#include "app/outputs.h"
#include "link/replay.h"
#include "platform/os/system_clock.h"
#include "platform/qt/main_window.h"
#include "shell/app_context.h"
#include "shell/startup.h"
#include "shell/window_proc.h"

namespace ptpdiag {
namespace {

// The capture to replay, if one was asked for; false after reporting a bad one.
bool LoadCapture(const Options& options, std::optional<Capture>& capture) {
  if (!options.ReplayFile) return true;
  CaptureResult result = ReadCaptureFile(*options.ReplayFile);
  if (result.Error) {
    std::cerr << "ptpdiag: " << result.Error->Text() << "\n";
    return false;
  }
  capture = std::move(result.Data);
  return true;
}

void StartUp(AppContext& app, BackedWindow& window, const Options& options) {
  SetStartValues(app);
  app.Window.ScreenNumber = static_cast<std::uint8_t>(options.Screen);
  CreateMainWindow(app, window);
}

}  // namespace

int RunHeadless(const Options& options) {
  std::optional<Capture> capture;
  if (!LoadCapture(options, capture)) return 2;
  SystemClock systemClock;
  ReplayClock replayClock(capture ? capture->Start : LocalDateTime{});
  const Clock& clock = capture ? static_cast<const Clock&>(replayClock) : systemClock;

  AppContext app(clock);
  NullCanvas blank;
  BackedWindow window(options.Width, options.Height, &blank);
  StartUp(app, window, options);
  if (capture) {
    CaptureFeed feed(*capture);
    RunReplay(app, window, replayClock, feed, ReplayTickCount(*capture, options.UntilMs));
  }
  const int status = WriteRequestedOutputs(app, window, options);
  window.Send(WM_CLOSE, 0, 0);
  return status;
}

int RunWindowed(const Options& options) {
  std::optional<Capture> capture;
  if (!LoadCapture(options, capture)) return 2;
  SystemClock systemClock;
  ReplayClock replayClock(capture ? capture->Start : LocalDateTime{});
  const Clock& clock = capture ? static_cast<const Clock&>(replayClock) : systemClock;
  std::unique_ptr<CaptureFeed> feed;

  AppContext app(clock);
  QtMainWindow main(options.Width, options.Height);
  StartUp(app, main.Window(), options);
  if (capture) {
    // A replay in real time: one capture tick per timer tick.
    feed = std::make_unique<CaptureFeed>(*capture);
    app.Link.ReplayFeed = feed.get();
    main.SetTickHook([&replayClock, &feed] {
      replayClock.SetMs(replayClock.Ms() + kTickMs);
      feed->ArriveUntil(replayClock.Ms());
    });
  }
  main.StartTimer();
  main.show();
  const int exitCode = QCoreApplication::exec();
  const int status = WriteRequestedOutputs(app, main.Window(), options);
  app.Link.ReplayFeed = nullptr;
  return exitCode != 0 ? exitCode : status;
}

}  // namespace ptpdiag
