// A full repaint (erase, then the paint sequence) of each screen on a
// RasterCanvas, with the store filled by a 20-minute replay so the history is
// full and has begun compacting, and every channel's tables are settled.
#include <benchmark/benchmark.h>

#include <random>

#include "bench_support.h"
#include "sim/frame_generator.h"

namespace ptpdiag::bench {
namespace {

constexpr int kReplaySeconds = 20 * 60;

void BM_Repaint(benchmark::State& state) {
  RasterApp r(static_cast<int>(state.range(0)));
  {
    // The replay itself draws nowhere; only the store matters here.
    const Capture capture = SimulatedCapture(kReplaySeconds);
    NullCanvas blank;
    r.Window->SetCanvas(&blank);
    CaptureFeed feed(LinesOf(capture));
    RunReplay(r.App, *r.Window, r.Clock, feed, ReplayPlan{});
    r.Window->SetCanvas(r.Raster.get());
  }
  if (r.App.Store.HistIndex < kLastHistorySlot) state.SkipWithError("the history is not full");

  const Rect client = r.Window->GetClientRect();
  for (auto _ : state) {
    r.Window->InvalidateRect(client, true);
    r.Window->UpdateWindow();
  }
  state.counters["history_points"] = r.App.Store.HistIndex;
}
BENCHMARK(BM_Repaint)->ArgName("screen")->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Arg(5)->Unit(benchmark::kMicrosecond);

// Screen 4 at its busiest: all 256 waterfall rows, every cell visited, the
// loudest noise scattered over 20 dB so that few neighbours share a colour.
void BM_RepaintFullWaterfall(benchmark::State& state) {
  RasterApp r(4);
  std::minstd_rand random(7);
  for (int row = 0; row < kWaterfallRows; ++row) {
    for (int c = 1; c <= kQualityChannels; ++c) {
      const auto noise = static_cast<std::uint8_t>(95 + random() % 20);
      r.App.Quality.AddFrame(c, noise, 70, kFirstRowMs * row + 10 * c);
    }
  }
  if (r.App.Quality.Rows().Rows() != kWaterfallRows) state.SkipWithError("the waterfall is not full");
  const Rect client = r.Window->GetClientRect();
  for (auto _ : state) {
    r.Window->InvalidateRect(client, true);
    r.Window->UpdateWindow();
  }
}
BENCHMARK(BM_RepaintFullWaterfall)->Unit(benchmark::kMicrosecond);

// What screen 4 takes again every 10 s: every channel's figures, with the
// period of an interferer on six channels (duty 0.2, every 10 s) found from
// an hour of visits at 50 hops/s.
void BM_QualityFigures(benchmark::State& state) {
  sim::GeneratorSettings settings;
  settings.NoiseFloorDbm = -109;
  settings.Interferers.push_back(sim::Interferer{40, 45, 0.2, 10.0, -84.0});
  sim::FrameGenerator generator(settings);
  ChannelQuality quality;
  while (generator.HopTimeMs(generator.HopsGenerated()) < 3600 * 1000) {
    const sim::GeneratedHop hop = generator.Next();
    quality.AddFrame(hop.Frame[1] - kChannelByteOffset, hop.Frame[2], hop.Frame[3],
                     hop.TimeMs / 250 * 250);
  }
  int flagged = 0;
  for (auto _ : state) {
    const QualityFigures figures = quality.Figures();
    flagged = static_cast<int>(figures.Exclude.size());
    benchmark::DoNotOptimize(figures);
  }
  state.counters["flagged"] = flagged;
}
BENCHMARK(BM_QualityFigures)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ptpdiag::bench

BENCHMARK_MAIN();
