#include "bench_support.h"

#include <QGuiApplication>

#include "shell/startup.h"
#include "sim/frame_generator.h"

namespace ptpdiag::bench {

std::vector<DiagFrame> SimulatedFrames(int count, std::uint64_t seed) {
  sim::GeneratorSettings settings;
  settings.Seed = seed;
  sim::FrameGenerator generator(settings);
  std::vector<DiagFrame> frames;
  frames.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    frames.push_back(generator.Next().Frame);
  return frames;
}

Capture SimulatedCapture(int seconds, std::uint64_t seed) {
  sim::GeneratorSettings settings;
  settings.Seed = seed;
  sim::FrameGenerator generator(settings);
  Capture capture;
  capture.Start = LocalDateTime{2026, 1, 5, 9, 0, 0, 0};
  const std::int64_t endMs = 1000LL * seconds;
  while (generator.HopTimeMs(generator.HopsGenerated()) < endMs) {
    const sim::GeneratedHop hop = generator.Next();
    sim::AppendHopBytes(hop, capture.Bytes);
    capture.Chunks.push_back(CaptureChunk{hop.TimeMs, capture.Bytes.size()});
    capture.LastTimeMs = hop.TimeMs;
  }
  return capture;
}

void EnsureGuiApplication() {
  if (QGuiApplication::instance() != nullptr) return;
  qputenv("QT_QPA_PLATFORM", "offscreen");  // pixels without a display
  static int argc = 1;
  static char name[] = "ptpdiag-bench";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
}

RasterApp::RasterApp(int screen) {
  EnsureGuiApplication();
  Image = QImage(800, 560, QImage::Format_RGB32);
  Image.fill(Qt::white);
  Raster = std::make_unique<RasterCanvas>(&Image);
  Window = std::make_unique<BackedWindow>(800, 560, Raster.get());
  SetStartValues(App);
  App.Window.ScreenNumber = static_cast<std::uint8_t>(screen);
  CreateMainWindow(App, *Window);
}

}  // namespace ptpdiag::bench
