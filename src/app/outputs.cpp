#include "app/outputs.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

#include "files/csv_export.h"
#include "link/store_report.h"
#include "platform/svg_canvas.h"
#include "state/app_context.h"

namespace ptpdiag {
void RepaintInto(BackedWindow& window, Canvas& canvas) {
  Canvas* own = window.GetCanvas();
  window.SetCanvas(&canvas);
  window.InvalidateRect(window.GetClientRect(), true);
  window.UpdateWindow();
  window.SetCanvas(own);
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
                                         AppBackend& backend) {
  if (IsPngPath(path)) return backend.WritePng(window, path);
  const Rect client = window.GetClientRect();
  SvgCanvas svg(client.Width(), client.Height());
  RepaintInto(window, svg);
  return WriteTextFile(path, svg.Document());
}

int WriteRequestedOutputs(AppContext& app, BackedWindow& window, const Options& options,
                          AppBackend& backend) {
  int status = 0;
  if (options.SnapshotFile) {
    if (auto error = WriteSnapshot(window, *options.SnapshotFile, backend)) {
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
    if (auto error = WriteTextFile(*options.ReportFile,
                                   StoreReportJson(app.Store, app.Window.ScreenNumber))) {
      std::cerr << "ptpdiag: " << *error << "\n";
      status = 1;
    }
  }
  return status;
}

}  // namespace ptpdiag
