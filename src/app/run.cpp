#include "app/run.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <memory>

#include "app/link_report_output.h"
#include "app/live_session.h"
#include "app/alignment_outputs.h"
#include "app/tone_player.h"
#include "app/outputs.h"
#include "app/port_list.h"
#include "app/startup_commands.h"
#include "files/alarm_file.h"
#include "files/csv_text.h"
#include "files/sha256.h"
#include "quality/json_fields.h"
#include "report/compare.h"
#include "link/capture_recorder.h"
#include "link/link_words.h"
#include "link/replay.h"
#include "metrics/prometheus_rules.h"
#include "shell/startup.h"
#include "state/app_context.h"
#include "version.h"

namespace ptpdiag {
namespace {

// Exit codes beyond 0, by how much they matter: the link, then the inputs,
// then whether frames came, then the outputs.
int ExitStatus(bool linkOpened, bool inputsRead, bool outputsWritten, bool framesCame = true) {
  if (!linkOpened) return kExitLinkFailed;
  if (!inputsRead) return 2;
  if (!framesCame) return kExitNoFrames;
  return outputsWritten ? 0 : 1;
}

// A live run that heard nothing must not pass for one that did.
bool SayIfNoFrameCame(const AppContext& app) {
  if (app.Link.Tally.FramesGood > 0) return true;
  std::cerr << "ptpdiag: no good frame received\n";
  return false;
}

// The capture to replay, read as the replay goes. Nothing, after one error
// line, when it cannot be opened or its first lines are malformed.
struct OpenCapture {
  std::unique_ptr<CaptureReader> Reader;
  std::unique_ptr<CaptureFeed> Feed;
};

// A replay's clock starts at the capture's start and keeps this computer's
// time zone, for the CSV times.
ReplayClock ClockOfReplay(const OpenCapture& capture, AppBackend& backend) {
  ReplayClock clock(capture.Reader ? capture.Reader->Start() : LocalDateTime{});
  clock.SetZone(&backend.SystemTime());
  return clock;
}

// The replay's clock while a capture plays, else the computer's.
const Clock& SessionClock(const OpenCapture& capture, const ReplayClock& replay,
                          AppBackend& backend) {
  return capture.Reader ? static_cast<const Clock&>(replay) : backend.SystemTime();
}

bool OpenReplay(const Options& options, AppBackend& backend, OpenCapture& capture) {
  if (!options.ReplayFile) return true;
  CaptureError error;
  capture.Reader = CaptureReader::Open(*options.ReplayFile, error);
  if (!capture.Reader) {
    std::cerr << "ptpdiag: " << error.Text() << "\n";
    return false;
  }
  CaptureReader& reader = *capture.Reader;
  // Ctrl+C ends the reading of a file of nothing but blank lines too.
  reader.SetCancel([&backend] { return backend.StopRequested(); });
  capture.Feed = std::make_unique<CaptureFeed>([&reader] { return reader.Next(); });
  if (reader.Error()) {
    std::cerr << "ptpdiag: " << reader.Error()->Text() << "\n";
    return false;
  }
  return true;
}

// After the replay: a malformed line or damaged compressed data ends it with
// an error (exit 2). A recording that was never closed, or a copy cut
// short, is noted and the replay counts: the words tell the two apart.
bool ReplayReadWhole(const CaptureReader& reader) {
  if (reader.Error()) {
    std::cerr << "ptpdiag: " << reader.Error()->Text() << "\n";
    return false;
  }
  const std::string upTo = reader.CutShort() ? "up to its last whole byte" : "to its end";
  switch (reader.Ending()) {
    case TextEnd::Cut:
      std::cerr << "ptpdiag: " << reader.FileName()
                << ": the compressed file is cut short, as an incomplete or damaged copy is; "
                   "replayed "
                << upTo << "\n";
      break;
    case TextEnd::Unclosed:
      std::cerr << "ptpdiag: " << reader.FileName()
                << ": the recording was never closed (its recorder stopped abruptly); replayed "
                << upTo << "\n";
      break;
    case TextEnd::Whole:
      if (reader.CutShort()) {
        std::cerr << "ptpdiag: " << reader.FileName()
                  << ": the last line is cut short (the recording ended abruptly); replayed up "
                     "to its last whole byte\n";
      }
      break;
  }
  return true;
}

// The commissioning report, when asked for; false, said on standard error,
// when it cannot be written.
bool WriteAskedLinkReport(AppContext& app, BackedWindow& window, const Options& options,
                          const ReportSource& source, AppBackend& backend) {
  if (!options.LinkReportFile) return true;
  const std::optional<std::string> error = WriteLinkReport(app, window, options, source, backend);
  if (error) std::cerr << "ptpdiag: " << *error << "\n";
  return !error;
}

Options WithSiteDetails(Options options, const SiteDetails& site) {
  options.ReportFields = site.Fields;
  options.Photos = site.Photos;
  return options;
}

// A live session's report names the recording once it is complete.
ReportSource LiveReportSource(const AppContext& app, const Options& options, bool recorded) {
  ReportSource source{app.Link.SessionLinkName, std::nullopt};
  if (options.RecordFile && recorded) source.Capture = *options.RecordFile;
  return source;
}

// The report asked for from the menu during a live session: the link open
// now, and the recording under way, if any.
ReportSource MenuReportSource(const AppContext& app) {
  ReportSource source{app.Link.SessionLinkName, std::nullopt, true};
  if (source.LinkName.empty()) source.LinkName = OpenLinkName(app);
  if (app.Link.Recorder != nullptr) source.Capture = app.Link.Recorder->Path();
  return source;
}

ReportSource ReplayReportSource(const OpenCapture& capture, const Options& options) {
  if (!capture.Reader) return {};
  return {capture.Reader->LinkNote(), *options.ReplayFile};
}

void StartUp(AppContext& app, BackedWindow& window, const Options& options) {
  SetStartValues(app);
  app.Window.ScreenNumber = static_cast<std::uint8_t>(options.Screen);
  app.Quality.SetThresholdDb(options.InterferenceDb);
  app.Tone = TonePitch(options.Tone);
  app.Alarms = AlarmEngine(options.AlarmRules);
  app.Samples.SetMinutes(options.Profile.WindowMinutes);
  CreateMainWindow(app, window);
}

void PrintTickStats(const TickStats& stats) {
  std::cerr << "ptpdiag: timer ticks " << stats.Ticks << ", lateness mean " << stats.MeanLateMs
            << " ms, max " << stats.MaxLateMs << " ms, p99 " << stats.P99LateMs << " ms\n";
}

// A live link, or none, with no window on screen: the real event loop,
// timer and sockets for the time asked, drawing on an image as the window
// would. The outputs are written as the session ends, before the link
// closes, so the picture shows the session as it was.
int RunHeadlessLive(const Options& options, AppBackend& backend) {
  AppContext app(backend.SystemTime());
  app.Link.EventLog.SetStream(&std::cerr);
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
  AlignmentOutputs alignment(app);
  if (!alignment.Open(options)) return 2;
  session.BeginRecording(app);
  bool written = true;
  bool outputsDone = false;
  const auto writeOutputs = [&] {
    if (outputsDone) return;
    written = WriteRequestedOutputs(app, window, options, backend, alignment,
                                    LiveReportSource(app, options, false)) == 0;
    outputsDone = true;
  };
  // Taken as the run ends, before the outputs, so that a cycle that ran
  // long just before counts and the writing does not.
  std::optional<TickStats> ticks;
  const auto finish = [&] {
    if (!ticks) ticks = loop->Stats();
    writeOutputs();
    loop->Close();
  };
  StartupOutcome started;
  const bool opened = session.OpenLink(app, window, options, error);
  if (opened) {
    started = RunStartupCommands(app, window, options);
    if (!window.QuitPosted()) {
      loop->SetTickHooks({{}, [&session, &app, &window] { session.PublishMetrics(app, window); }});
      loop->StartTimer();
      loop->RunAfter(*options.RunMs, finish);
      const auto stop = backend.HandleStopRequests(finish);
      loop->RunLoop();
    }
  } else {
    std::cerr << "ptpdiag: " << error << "\n";
    window.Send(WM_CLOSE, 0, 0);
  }
  const bool recorded = session.End(app, std::cerr);
  if (options.TickStats) PrintTickStats(ticks ? *ticks : loop->Stats());
  writeOutputs();
  written = WriteAskedLinkReport(app, window, options, LiveReportSource(app, options, recorded), backend) &&
            written;
  const bool framesCame = !opened || !options.LiveLink() || SayIfNoFrameCame(app);
  return ExitStatus(opened, started.Opened, written && recorded && started.Saved, framesCame);
}

}  // namespace

namespace {

// The text of a file the user names for settings; nothing, said on
// standard error, when it cannot be read.
std::optional<std::string> ReadSettingsFile(const std::string& path) {
  // A pipe or device would hold the start up, or never end.
  std::error_code code;
  if (std::filesystem::exists(path, code) && !std::filesystem::is_regular_file(path, code)) {
    std::cerr << "ptpdiag: " << path << ": is not a regular file (a pipe, device or socket)\n";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in) {
    std::cerr << "ptpdiag: cannot read " << path << "\n";
    return std::nullopt;
  }
  return text.str();
}

// The rules of --alarms into the options; false, said on standard error,
// when the file cannot be read or holds a rule that is wrong.
bool ReadAlarmsFile(Options& options) {
  const std::string& path = *options.AlarmsFile;
  const std::optional<std::string> text = ReadSettingsFile(path);
  if (!text) return false;
  auto rules = ReadAlarmRules(*text);
  if (const std::string* problem = std::get_if<std::string>(&rules)) {
    std::cerr << "ptpdiag: " << path << ": " << *problem << "\n";
    return false;
  }
  options.AlarmRules = std::get<std::vector<AlarmRule>>(std::move(rules));
  return true;
}

// The limits of --profile into the options, as the alarms are read.
bool ReadProfileFile(Options& options) {
  const std::string& path = *options.ProfileFile;
  const std::optional<std::string> text = ReadSettingsFile(path);
  if (!text) return false;
  auto profile = ReadReportProfile(*text);
  if (const std::string* problem = std::get_if<std::string>(&profile)) {
    std::cerr << "ptpdiag: " << path << ": " << *problem << "\n";
    return false;
  }
  options.Profile = std::get<ReportProfile>(profile);
  return true;
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
  if (options.Version) {
    std::cout << "ptpdiag " PTPDIAG_VERSION "\n";
    return 0;
  }
  if (options.AlarmsFile && !ReadAlarmsFile(options)) return 2;
  if (options.ProfileFile && !ReadProfileFile(options)) return 2;
  if (options.PrintProfile) {
    std::cout << ReportProfileJson(options.Profile);
    return 0;
  }
  if (options.PrintAlarms) {
    std::cout << AlarmRulesJson(options.AlarmRules);
    return 0;
  }
  if (options.PrintPrometheusRules) {
    std::cout << PrometheusRules(options.AlarmRules);
    return 0;
  }
  return std::nullopt;
}

int RunListPorts(const Options& options, AppBackend& backend) {
  PortMappings mappings;
  for (const auto& [name, device] : options.PortMap)
    mappings[name] = device;
  const std::unique_ptr<SerialDriver> driver = backend.MakeSerialDriver(mappings);
  return ListPorts(*driver, std::cout);
}

namespace {

// Plays a capture through, as fast as it goes; false, said on standard
// error, when it ends on an error.
bool ReplayToTheEnd(AppContext& app, BackedWindow& window, ReplayClock& clock, OpenCapture& capture,
                    const Options& options, AppBackend& backend) {
  CaptureReader& reader = *capture.Reader;
  ReplayPlan plan;
  plan.Timing = reader.Timing();
  plan.UntilMs = options.UntilMs;
  plan.EndMs = [&reader] { return reader.EndMs(); };
  plan.Stop = [&backend, &reader] { return backend.StopRequested() || reader.Error(); };
  RunReplay(app, window, clock, *capture.Feed, plan);
  return ReplayReadWhole(reader);
}

// One side of a comparison: the recording replayed whole and reduced to
// the compared figures; nothing, said on standard error, when it cannot be.
std::optional<CompareSide> ReplayForComparison(const std::string& file, const Options& options,
                                               AppBackend& backend) {
  Options one = options;
  one.ReplayFile = file;
  OpenCapture capture;
  if (!OpenReplay(one, backend, capture)) return std::nullopt;
  ReplayClock clock = ClockOfReplay(capture, backend);
  AppContext app(clock);
  NullCanvas blank;
  BackedWindow window(options.Width, options.Height, &blank);
  window.SetMessageSink(&std::cerr);
  StartUp(app, window, one);
  if (!ReplayToTheEnd(app, window, clock, capture, one, backend)) return std::nullopt;
  const std::optional<std::string> sha = Sha256OfFile(file);
  if (!sha) {
    std::cerr << "ptpdiag: cannot read " << file << " for its SHA-256\n";
    return std::nullopt;
  }
  CompareSide side{std::filesystem::path(file).filename().string(), *sha,
                   static_cast<double>(app.Alignment.Figures().Ms) / 60000.0, SummaryOf(app, options.Profile)};
  window.Send(WM_CLOSE, 0, 0);
  return side;
}

}  // namespace

// Two recordings replayed and compared, written as JSON (--report) and
// as a page with its twin JSON (--link-report).
int RunCompare(const Options& options, AppBackend& backend) {
  const std::optional<CompareSide> before = ReplayForComparison(options.CompareFiles[0], options, backend);
  if (!before) return 2;
  const std::optional<CompareSide> after = ReplayForComparison(options.CompareFiles[1], options, backend);
  if (!after) return 2;
  const std::string json = "{\"Compare\": " + CompareJson(*before, *after) + "}\n";
  std::cout << CompareSentence(before->Summary, after->Summary) << "\n";
  bool written = true;
  const auto write = [&written](const std::string& path, const std::string& text) {
    if (auto error = WriteTextFile(path, text)) {
      std::cerr << "ptpdiag: " << *error << "\n";
      written = false;
    }
  };
  if (options.ReportFile) write(*options.ReportFile, json);
  if (options.LinkReportFile) {
    const Clock& clock = backend.SystemTime();
    const std::string now = IsoTime(ZonedAfter(clock, clock.LocalNow(), 0));
    write(*options.LinkReportFile, CompareHtml(*before, *after, now, "ptpdiag " PTPDIAG_VERSION));
    write(TwinJsonPath(*options.LinkReportFile), "{\n  \"Generated\": " + json::Text(now) + ",\n  \"Compare\": " +
                                                    CompareJson(*before, *after) + "\n}\n");
  }
  return written ? 0 : 1;
}

// Outputs that cannot be written, and photos that cannot be used, are
// found before the run, not after it.
bool OutputsWritable(const Options& options, AppBackend& backend) {
  const std::optional<std::string> failure = CheckOutputPaths(options);
  if (failure) {
    std::cerr << "ptpdiag: " << *failure << "\n";
    return false;
  }
  const auto photos = LoadReportPhotos(options, backend);
  if (const std::string* why = std::get_if<std::string>(&photos)) {
    std::cerr << "ptpdiag: the photo " << *why << "\n";
    return false;
  }
  return true;
}

int RunHeadless(const Options& options, AppBackend& backend) {
  if (!OutputsWritable(options, backend)) return 2;
  if (!options.CompareFiles.empty()) return RunCompare(options, backend);
  if (options.LiveLink() || options.RunMs) return RunHeadlessLive(options, backend);
  OpenCapture capture;
  if (!OpenReplay(options, backend, capture)) return 2;
  ReplayClock replayClock = ClockOfReplay(capture, backend);
  AppContext app(SessionClock(capture, replayClock, backend));
  NullCanvas blank;
  BackedWindow window(options.Width, options.Height, &blank);
  window.SetMessageSink(&std::cerr);
  StartUp(app, window, options);
  AlignmentOutputs alignment(app);
  if (!alignment.Open(options)) return 2;
  const StartupOutcome started = RunStartupCommands(app, window, options);
  if (capture.Reader && !ReplayToTheEnd(app, window, replayClock, capture, options, backend)) return 2;
  const ReportSource source = ReplayReportSource(capture, options);
  const int status = WriteRequestedOutputs(app, window, options, backend, alignment, source);
  const bool reported = WriteAskedLinkReport(app, window, options, source, backend);
  window.Send(WM_CLOSE, 0, 0);
  return ExitStatus(true, started.Opened, status == 0 && reported && started.Saved);
}

int RunWindowed(const Options& options, AppBackend& backend) {
  if (!OutputsWritable(options, backend)) return 2;
  OpenCapture capture;
  if (!OpenReplay(options, backend, capture)) return 2;
  ReplayClock replayClock = ClockOfReplay(capture, backend);
  AppContext app(SessionClock(capture, replayClock, backend));
  LiveSession session;
  std::string error;
  if (!session.Prepare(app, options, backend, error)) {
    std::cerr << "ptpdiag: " << error << "\n";
    return 2;
  }
  const std::unique_ptr<LoopWindow> main =
      backend.MakeMainWindow(options.Width, options.Height, !options.SizeGiven);
  StartUp(app, main->Window(), options);
  AlignmentOutputs alignment(app);
  if (!alignment.Open(options)) return 2;
  const TonePlayer tone(app, backend.MakeSoundOut());
  session.BeginRecording(app);
  if (capture.Reader) app.Link.ReplayFeed = capture.Feed.get();
  app.Site = {options.ReportFields, options.Photos};
  app.WriteLinkReport = [&](const std::string& path) {
    Options asked = WithSiteDetails(options, app.Site);
    asked.LinkReportFile = path;
    const ReportSource source = capture.Reader ? ReplayReportSource(capture, options) : MenuReportSource(app);
    return WriteLinkReport(app, main->Window(), asked, source, backend);
  };
  main->SetTickHooks({[&] {
                         if (!capture.Reader) return;
                         // A replay in real time: one capture tick per timer tick.
                         replayClock.SetMs(replayClock.Ms() + kTickMs);
                         capture.Feed->ArriveUntil(replayClock.Ms());
                       },
                       [&] { session.PublishMetrics(app, main->Window()); }});
  main->StartTimer();
  main->Show();
  if (options.RunMs) main->RunAfter(*options.RunMs, [&main] { main->Close(); });
  StartupOutcome started;
  // Opened from inside the event loop: a failure's message box is modal,
  // and the timers (the clock, --seconds) go on underneath it.
  main->RunSoon([&] {
    // The window shows a link that did not open; the words go to the
    // console too, for what the window cannot show (a demo radio that
    // could not start).
    if (options.LiveLink() && !session.OpenLink(app, main->Window(), options, error)) {
      std::cerr << "ptpdiag: " << error << "\n";
    }
    started = RunStartupCommands(app, main->Window(), options);
    if (!app.WebViewUrl.empty()) ShowStatusText(app.Window, "Web view at " + app.WebViewUrl);
  });
  const auto stop = backend.HandleStopRequests([&main] { main->Close(); });
  const int exitCode = main->RunLoop();
  const bool recorded = session.End(app, std::cerr);
  const ReportSource source =
      capture.Reader ? ReplayReportSource(capture, options) : LiveReportSource(app, options, recorded);
  const int status = WriteRequestedOutputs(app, main->Window(), options, backend, alignment, source);
  // With the details as last edited in the window.
  const bool reported =
      WriteAskedLinkReport(app, main->Window(), WithSiteDetails(options, app.Site), source, backend);
  app.Link.ReplayFeed = nullptr;
  if (capture.Reader && capture.Reader->Error()) {
    std::cerr << "ptpdiag: " << capture.Reader->Error()->Text() << "\n";
    return 2;
  }
  if (exitCode != 0) return exitCode;
  return ExitStatus(true, started.Opened, status == 0 && recorded && reported && started.Saved);
}

}  // namespace ptpdiag
