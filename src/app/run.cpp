#include "app/run.h"

#include <QCoreApplication>
#include <QImage>
#include <QTimer>
#include <iostream>
#include <memory>

#include "app/live_session.h"
#include "app/outputs.h"
#include "app/startup_commands.h"
#include "app/stop_signals.h"
#include "link/replay.h"
#include "platform/os/system_clock.h"
#include "platform/qt/event_window.h"
#include "platform/qt/main_window.h"
#include "platform/qt/qt_dialog_host.h"
#include "platform/qt/raster_canvas.h"
#include "shell/startup.h"
#include "shell/window_proc.h"
#include "state/app_context.h"

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

constexpr int kOuterWidth = 808;
constexpr int kOuterHeight = 600;

void PrintTickStats(const TickStats& stats) {
  std::cerr << "ptpdiag: timer ticks " << stats.Ticks << ", lateness mean " << stats.MeanLateMs
            << " ms, max " << stats.MaxLateMs << " ms\n";
}

// A live link, or none, with no window on screen: the real event loop,
// timer and sockets for the time asked, drawing on an image as the window
// would.
int RunHeadlessLive(const Options& options) {
  SystemClock clock;
  AppContext app(clock);
  QImage image(options.Width, options.Height, QImage::Format_RGB32);
  image.fill(Qt::white);
  RasterCanvas canvas(&image);
  EventWindow window(options.Width, options.Height, &canvas, std::cerr);
  LiveSession session;
  std::string error;
  if (!session.Prepare(app, options, error)) {
    std::cerr << "ptpdiag: " << error << "\n";
    return 2;
  }
  StartUp(app, window, options);
  const bool opened = session.OpenLink(app, window, options, error);
  if (opened) {
    RunStartupCommands(window, options);
    if (!window.QuitPosted()) {
      window.StartTimer();
      window.CloseAfter(*options.RunMs);
      const StopSignals stop([&window] { window.Send(WM_CLOSE, 0, 0); });
      QCoreApplication::exec();
    }
  } else {
    std::cerr << "ptpdiag: " << error << "\n";
    window.Send(WM_CLOSE, 0, 0);
  }
  session.End(app, std::cerr);
  if (options.TickStats) PrintTickStats(window.Stats());
  const int status = WriteRequestedOutputs(app, window, options);
  return opened ? status : kExitLinkFailed;
}

}  // namespace

int RunHeadless(const Options& options) {
  if (options.LiveLink() || options.RunMs) return RunHeadlessLive(options);
  std::optional<Capture> capture;
  if (!LoadCapture(options, capture)) return 2;
  SystemClock systemClock;
  ReplayClock replayClock(capture ? capture->Start : LocalDateTime{});
  const Clock& clock = capture ? static_cast<const Clock&>(replayClock) : systemClock;

  AppContext app(clock);
  NullCanvas blank;
  BackedWindow window(options.Width, options.Height, &blank);
  window.SetMessageSink(&std::cerr);
  StartUp(app, window, options);
  RunStartupCommands(window, options);
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
  LiveSession session;
  std::string error;
  if (!session.Prepare(app, options, error)) {
    std::cerr << "ptpdiag: " << error << "\n";
    return 2;
  }
  QtMainWindow main(options.Width, options.Height);
  QtDialogHost dialogs(&main);
  main.SetDialogHost(&dialogs);
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
  if (!options.SizeGiven) {
    // The window's outer size, frame and menu included, once the window
    // system has framed it.
    QTimer::singleShot(0, &main, [&main] {
      const QSize frame = main.frameGeometry().size() - main.size();
      main.resize(kOuterWidth - frame.width(), kOuterHeight - frame.height());
    });
  }
  if (options.RunMs) main.CloseAfter(*options.RunMs);
  // Opened from inside the event loop: a failure's message box is modal,
  // and the timers (the clock, --seconds) go on underneath it.
  QTimer::singleShot(0, &main, [&] {
    if (options.LiveLink()) session.OpenLink(app, main.Window(), options, error);
    RunStartupCommands(main.Window(), options);
    if (main.Window().QuitPosted()) QCoreApplication::exit(main.Window().ExitCode());
  });
  const StopSignals stop([&main] { main.close(); });
  const int exitCode = QCoreApplication::exec();
  session.End(app, std::cerr);
  const int status = WriteRequestedOutputs(app, main.Window(), options);
  app.Link.ReplayFeed = nullptr;
  return exitCode != 0 ? exitCode : status;
}

}  // namespace ptpdiag
