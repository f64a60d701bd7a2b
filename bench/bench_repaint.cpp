// A full repaint (erase, then the paint sequence) of each screen on a
// RasterCanvas, with the store filled by a 20-minute replay so the history is
// full and has begun compacting, and every channel's tables are settled.
#include <benchmark/benchmark.h>

#include "bench_support.h"

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
BENCHMARK(BM_Repaint)->ArgName("screen")->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ptpdiag::bench

BENCHMARK_MAIN();
