#include "app/outputs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>
#include <vector>

#include "alignment/alignment_json.h"
#include "app/link_report_output.h"
#include "files/alarm_file.h"
#include "files/align_log.h"
#include "files/csv_export.h"
#include "link/store_report.h"
#include "platform/svg_canvas.h"
#include "state/app_context.h"
#include "version.h"

namespace ptpdiag {
namespace {

// Opened for appending, so an existing file keeps its bytes; one made for
// the try is removed again.
std::optional<std::string> TryWriting(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error))
    return "cannot write " + path + ": it is a folder";
  const bool existed = std::filesystem::exists(path, error);
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (file == nullptr) {
    return "cannot write " + path + ": " + std::strerror(errno != 0 ? errno : EIO);
  }
  std::fclose(file);
  if (!existed) std::filesystem::remove(path, error);
  return std::nullopt;
}

}  // namespace

std::optional<std::string> CheckOutputPaths(const Options& options) {
  std::vector<std::string> paths;
  if (options.ReportFile) paths.push_back(*options.ReportFile);
  if (options.SnapshotFile) paths.push_back(*options.SnapshotFile);
  if (options.AlignLogFile) paths.push_back(*options.AlignLogFile);
  if (options.ToneWavFile) paths.push_back(*options.ToneWavFile);
  if (options.LinkReportFile) {
    paths.push_back(*options.LinkReportFile);
    paths.push_back(TwinJsonPath(*options.LinkReportFile));
  }
  if (options.ExportCsvName) {
    paths.push_back(*options.ExportCsvName + "-channels.csv");
    paths.push_back(*options.ExportCsvName + "-history.csv");
  }
  for (const std::string& path : paths) {
    if (auto failure = TryWriting(path)) return failure;
  }
  return std::nullopt;
}

void RepaintInto(BackedWindow& window, Canvas& canvas) {
  Canvas* own = window.GetCanvas();
  window.SetCanvas(&canvas);
  window.InvalidateRect(window.GetClientRect(), true);
  window.UpdateWindow();
  window.SetCanvas(own);
}

std::string ScreenAsSvg(AppContext& app, BackedWindow& window, int number) {
  const std::uint8_t shown = app.Window.ScreenNumber;
  const Rect client = window.GetClientRect();
  app.Window.ScreenNumber = static_cast<std::uint8_t>(number);
  SvgCanvas svg(client.Width(), client.Height());
  RepaintInto(window, svg);
  app.Window.ScreenNumber = shown;
  return svg.Document();
}

std::optional<std::string> WriteTextFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return "cannot write " + path + ": " + std::strerror(errno);
  out << content;
  out.close();
  if (!out) return "cannot write " + path + ": " + std::strerror(errno);
  return std::nullopt;
}

std::optional<std::string> WriteSnapshot(BackedWindow& window, const std::string& path,
                                         AppBackend& backend, int scale) {
  if (IsPngPath(path)) return backend.WritePng(window, path, scale);
  const Rect client = window.GetClientRect();
  SvgCanvas svg(client.Width(), client.Height());
  RepaintInto(window, svg);
  return WriteTextFile(path, svg.Document());
}

namespace {

std::string AlignmentReport(const AppContext& app) {
  const AlignmentFigures& f = app.Alignment.LastMeasured();
  return AlignmentJson(f, AlignTime(f.BestMs, app.SystemClock, app.Elapsed.OriginLocal()));
}

std::string AlarmsReport(const AppContext& app) {
  return AlarmHistoryJson(app.Alarms, [&app](std::int64_t ms) {
    return AlignTime(ms, app.SystemClock, app.Elapsed.OriginLocal());
  });
}

StoreReportMeta MetaOf(const AppContext& app, const Options& options, const ReportSource& source) {
  const auto at = [&app](std::int64_t ms) { return AlignTime(ms, app.SystemClock, app.Elapsed.OriginLocal()); };
  StoreReportMeta meta{"ptpdiag " PTPDIAG_VERSION, source.LinkName, options.ReplayFile.value_or(""), at(0),
                       at(app.Alignment.Figures().Ms)};
  return meta;
}

}  // namespace

int WriteRequestedOutputs(AppContext& app, BackedWindow& window, const Options& options,
                          AppBackend& backend, AlignmentOutputs& alignment, const ReportSource& source) {
  int status = alignment.Finish();
  if (options.SnapshotFile) {
    app.QualityShown.Clear();  // the picture shows the figures the report holds
    if (auto error = WriteSnapshot(window, *options.SnapshotFile, backend, options.Scale)) {
      std::cerr << "ptpdiag: " << *error << "\n";
      status = 1;
    }
  }
  if (options.ExportCsvName) {
    if (auto error = ExportCsv(app, *options.ExportCsvName)) {
      std::cerr << "ptpdiag: cannot export CSV: " << *error << "\n";
      status = 1;
    }
  }
  if (options.ReportFile) {
    const QualityFigures quality = app.Quality.Figures();
    const StoreReportMeta meta = MetaOf(app, options, source);
    const StoreReportSections sections{&quality, AlignmentReport(app), AlarmsReport(app), &meta};
    if (auto error = WriteTextFile(*options.ReportFile,
                                   StoreReportJson(app.Store, app.Window.ScreenNumber, sections))) {
      std::cerr << "ptpdiag: " << *error << "\n";
      status = 1;
    }
  }
  return status;
}

}  // namespace ptpdiag
