#include "app/link_report_output.h"

#include <filesystem>

#include "app/outputs.h"
#include "files/csv_text.h"
#include "files/sha256.h"
#include "platform/svg_canvas.h"
#include "report/gather_report.h"
#include "state/app_context.h"
#include "version.h"

namespace ptpdiag {
namespace {

// One word for a POSIX shell or cmd.exe alike where it needs no quotes;
// else in double quotes, with any inner ones doubled as cmd.exe reads them.
std::string ShellWord(const std::string& word) {
  const bool plain = !word.empty() && word.find_first_not_of(
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_./:=,+@") == std::string::npos;
  if (plain) return word;
  std::string quoted = "\"";
  for (const char c : word) {
    if (c == '"' || c == '\\' || c == '$' || c == '`') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

std::array<std::string, 5> ScreensAsSvg(AppContext& app, BackedWindow& window) {
  std::array<std::string, 5> screens;
  const std::uint8_t shown = app.Window.ScreenNumber;
  const Rect client = window.GetClientRect();
  for (std::size_t i = 0; i < screens.size(); ++i) {
    app.Window.ScreenNumber = static_cast<std::uint8_t>(i + 1);
    app.QualityShown.Clear();  // the figures as the report holds them
    SvgCanvas svg(client.Width(), client.Height());
    RepaintInto(window, svg);
    screens[i] = svg.InlineElement();
  }
  app.Window.ScreenNumber = shown;
  app.QualityShown.Clear();
  return screens;
}

// Names without their folder: the command runs in the recording's folder,
// and the live session and its replay write the same report.
std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

std::string NowText(const Clock& clock) {
  return IsoTime(ZonedAfter(clock, clock.LocalNow(), 0));
}

}  // namespace

std::string RebuildCommand(const Options& o, const std::string& capture) {
  std::string command = "ptpdiag --headless --replay " + ShellWord(FileName(capture));
  if (o.SizeGiven) command += " --size " + std::to_string(o.Width) + "x" + std::to_string(o.Height);
  if (o.InterferenceDb != kDefaultInterferenceDb)
    command += " --interference-db " + ShellWord(AlarmValueText(o.InterferenceDb));
  if (o.AlarmsFile) command += " --alarms " + ShellWord(*o.AlarmsFile);
  if (o.ProfileFile) command += " --profile " + ShellWord(*o.ProfileFile);
  for (const auto& [key, value] : o.ReportFields) command += " --report-field " + ShellWord(key + "=" + value);
  for (const std::string& photo : o.Photos) command += " --photo " + ShellWord(photo);
  return command + " --link-report " + ShellWord(FileName(o.LinkReportFile.value_or("report.html")));
}

std::variant<std::vector<ReportPhoto>, std::string> LoadReportPhotos(const Options& options,
                                                                     AppBackend& backend) {
  std::vector<ReportPhoto> photos;
  for (const std::string& path : options.Photos) {
    PhotoResult loaded = backend.LoadScaledPhoto(path, kMostPhotoSide);
    if (const std::string* why = std::get_if<std::string>(&loaded)) return path + ": " + *why;
    ScaledPhoto& p = std::get<ScaledPhoto>(loaded);
    photos.push_back({ValidUtf8(FileName(path)), p.Mime, std::move(p.Bytes), p.Width, p.Height});
  }
  return photos;
}

std::optional<std::string> WriteLinkReport(AppContext& app, BackedWindow& window, const Options& options,
                                           const ReportSource& source, AppBackend& backend) {
  auto photos = LoadReportPhotos(options, backend);
  if (const std::string* why = std::get_if<std::string>(&photos)) return "the photo " + *why;
  // The screens and times of the last tick, whenever the report is written.
  const std::optional<std::int64_t> tick = app.TickMonotonicMs;
  app.TickMonotonicMs = app.Elapsed.OriginMonotonicMs() + app.Alignment.Figures().Ms;
  LinkReport report = GatherLinkReport(app, options.Profile);
  report.Screens = ScreensAsSvg(app, window);
  app.TickMonotonicMs = tick;
  report.Program = "ptpdiag " PTPDIAG_VERSION;
  report.Generated = NowText(backend.SystemTime());
  report.Photos = std::get<std::vector<ReportPhoto>>(std::move(photos));
  report.Link = source.LinkName.empty() ? "an unnamed link" : ValidUtf8(source.LinkName);
  for (const auto& [key, value] : options.ReportFields)
    report.Fields.push_back({ValidUtf8(key), ValidUtf8(value)});
  if (source.Capture && source.CaptureOngoing) {
    report.Capture = ReportCapture{ValidUtf8(FileName(*source.Capture)), "",
                                   ValidUtf8(RebuildCommand(options, *source.Capture))};
  } else if (source.Capture) {
    const std::optional<std::string> sha = Sha256OfFile(*source.Capture);
    if (!sha) return "cannot read " + *source.Capture + " for its SHA-256";
    report.Capture = ReportCapture{ValidUtf8(FileName(*source.Capture)), *sha,
                                   ValidUtf8(RebuildCommand(options, *source.Capture))};
  }
  const std::string& html = *options.LinkReportFile;
  if (auto error = WriteTextFile(html, LinkReportHtml(report))) return error;
  return WriteTextFile(TwinJsonPath(html), LinkReportJson(report));
}

}  // namespace ptpdiag
