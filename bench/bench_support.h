// What the benchmarks share: simulated frames and captures, an offscreen Qt
// GUI application, and an application whose window paints on a RasterCanvas.
#pragma once

#include <QImage>
#include <cstdint>
#include <memory>
#include <vector>

#include "link/capture_file.h"
#include "link/diag_frame.h"
#include "link/replay.h"
#include "platform/backed_window.h"
#include "platform/qt/raster_canvas.h"
#include "state/app_context.h"

namespace ptpdiag::bench {

// `count` valid frames from the simulated radio, faults off.
std::vector<DiagFrame> SimulatedFrames(int count, std::uint64_t seed = 1);

// `seconds` of the simulated radio at 50 hops per second, one frame a chunk.
Capture SimulatedCapture(int seconds, std::uint64_t seed = 1);

// Creates the process's QGuiApplication on the offscreen platform once.
void EnsureGuiApplication();

// The application as `ptpdiag` builds it, on a replay clock, with a window
// of the default size painting into an image.
struct RasterApp {
  explicit RasterApp(int screen);
  RasterApp(const RasterApp&) = delete;
  RasterApp& operator=(const RasterApp&) = delete;

  ReplayClock Clock{LocalDateTime{2026, 1, 5, 9, 0, 0, 0}};
  AppContext App{Clock};
  QImage Image;
  std::unique_ptr<RasterCanvas> Raster;
  std::unique_ptr<BackedWindow> Window;
};

}  // namespace ptpdiag::bench
