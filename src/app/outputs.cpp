#include "app/outputs.h"

#include <QImage>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

#include "link/store_report.h"
#include "platform/qt/raster_canvas.h"
#include "platform/svg_canvas.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

void RepaintInto(BackedWindow& window, Canvas& canvas) {
  Canvas* own = window.GetCanvas();
  window.SetCanvas(&canvas);
  window.InvalidateRect(window.GetClientRect(), true);
  window.UpdateWindow();
  window.SetCanvas(own);
}

}  // namespace

std::optional<std::string> WriteTextFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return "cannot write " + path + ": " + std::strerror(errno);
  out << content;
  out.close();
  if (!out) return "cannot write " + path + ": " + std::strerror(errno);
  return std::nullopt;
}

std::optional<std::string> WriteSnapshot(BackedWindow& window, const std::string& path) {
  const Rect client = window.GetClientRect();
  if (!IsPngPath(path)) {
    SvgCanvas svg(client.Width(), client.Height());
    RepaintInto(window, svg);
    return WriteTextFile(path, svg.Document());
  }
  QImage image(client.Width(), client.Height(), QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    RasterCanvas raster(&image);
    RepaintInto(window, raster);
  }
  if (!image.save(QString::fromStdString(path), "PNG")) return "cannot write " + path;
  return std::nullopt;
}

int WriteRequestedOutputs(AppContext& app, BackedWindow& window, const Options& options) {
  int status = 0;
  if (options.SnapshotFile) {
    if (auto error = WriteSnapshot(window, *options.SnapshotFile)) {
      std::cerr << "ptpdiag: " << *error << "\n";
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
