#include "app/run.h"

#include <iostream>
#include <memory>

#include "app/live_session.h"
#include "app/outputs.h"
#include "app/startup_commands.h"
#include "link/replay.h"
#include "shell/startup.h"
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

void PrintTickStats(const TickStats& stats) {
  std::cerr << "ptpdiag: timer ticks " << stats.Ticks << ", lateness mean " << stats.MeanLateMs
            << " ms, max " << stats.MaxLateMs << " ms\n";
}

// A live link, or none, with no window on screen: the real event loop,
// timer and sockets for the time asked, drawing on an image as the window
// would.
int RunHeadlessLive(const Options& options, AppBackend& backend) {
  AppContext app(backend.SystemTime());
  const std::unique_ptr<LoopWindow> loop =
      backend.MakeHeadlessWindow(options.Width, options.Height, std::cerr);
  BackedWindow& window = loop->Window();
  LiveSession session;
  std::string error;
  if (!session.Prepare(app, options, backend, error)) {
    std::cerr << "ptpdiag: " << error << "\n";
    return 2;
  }
  StartUp(app, window, options);
  const bool opened = session.OpenLink(app, window, options, error);
  if (opened) {
    RunStartupCommands(window, options);
    if (!window.QuitPosted()) {
      loop->StartTimer();
      loop->CloseAfter(*options.RunMs);
      const auto stop = backend.HandleStopRequests([&loop] { loop->Close(); });
      loop->RunLoop();
    }
  } else {
    std::cerr << "ptpdiag: " << error << "\n";
    window.Send(WM_CLOSE, 0, 0);
  }
  session.End(app, std::cerr);
  if (options.TickStats) PrintTickStats(loop->Stats());
  const int status = WriteRequestedOutputs(app, window, options, backend);
  return opened ? status : kExitLinkFailed;
}

}  // namespace

std::optional<int> ReadCommandLine(std::span<const std::string_view> args, Options& options) {
  const OptionsResult parsed = ParseOptions(args);
  if (parsed.Error) {
    std::cerr << "ptpdiag: error: " << *parsed.Error << "\n";
    return 2;
  }
  options = parsed.Parsed;
  if (options.Help) {
    std::cout << UsageText();
    return 0;
  }
  return std::nullopt;
}

int RunHeadless(const Options& options, AppBackend& backend) {
  if (options.LiveLink() || options.RunMs) return RunHeadlessLive(options, backend);
  std::optional<Capture> capture;
  if (!LoadCapture(options, capture)) return 2;
  ReplayClock replayClock(capture ? capture->Start : LocalDateTime{});
  const Clock& clock = capture ? static_cast<const Clock&>(replayClock) : backend.SystemTime();

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
  const int status = WriteRequestedOutputs(app, window, options, backend);
  window.Send(WM_CLOSE, 0, 0);
  return status;
}

int RunWindowed(const Options& options, AppBackend& backend) {
  std::optional<Capture> capture;
  if (!LoadCapture(options, capture)) return 2;
  ReplayClock replayClock(capture ? capture->Start : LocalDateTime{});
  const Clock& clock = capture ? static_cast<const Clock&>(replayClock) : backend.SystemTime();
  std::unique_ptr<CaptureFeed> feed;

  AppContext app(clock);
  LiveSession session;
  std::string error;
  if (!session.Prepare(app, options, backend, error)) {
    std::cerr << "ptpdiag: " << error << "\n";
    return 2;
  }
  const std::unique_ptr<LoopWindow> main =
      backend.MakeMainWindow(options.Width, options.Height, !options.SizeGiven);
  StartUp(app, main->Window(), options);
  if (capture) {
    // A replay in real time: one capture tick per timer tick.
    feed = std::make_unique<CaptureFeed>(*capture);
    app.Link.ReplayFeed = feed.get();
    main->SetTickHook([&replayClock, &feed] {
      replayClock.SetMs(replayClock.Ms() + kTickMs);
      feed->ArriveUntil(replayClock.Ms());
    });
  }
  main->StartTimer();
  main->Show();
  if (options.RunMs) main->CloseAfter(*options.RunMs);
  // Opened from inside the event loop: a failure's message box is modal,
  // and the timers (the clock, --seconds) go on underneath it.
  main->RunSoon([&] {
    if (options.LiveLink()) session.OpenLink(app, main->Window(), options, error);
    RunStartupCommands(main->Window(), options);
  });
  const auto stop = backend.HandleStopRequests([&main] { main->Close(); });
  const int exitCode = main->RunLoop();
  session.End(app, std::cerr);
  const int status = WriteRequestedOutputs(app, main->Window(), options, backend);
  app.Link.ReplayFeed = nullptr;
  return exitCode != 0 ? exitCode : status;
}

}  // namespace ptpdiag
