// One 250 ms poll cycle on the UDP link: a tick's frames at the serial
// line's full rate (320) or a full ring (910) drained,
// the raw bytes and header values drawn on a RasterCanvas, screen 3 shown.
#include <benchmark/benchmark.h>

#include <chrono>

#include "bench_support.h"
#include "link/link_events.h"

namespace ptpdiag::bench {
namespace {

// A tick at 1,280 frames/s; 8190 bytes, as many whole frames as the ring
// holds.
constexpr int kLineRateFrames = 320;
constexpr int kRingFrames = kRingSize / kFrameSize;

// How the clock moves between cycles, which decides whether a cycle also
// closes a history sample and repaints screen 3.
enum class Pace {
  // The same second every cycle, period restarted outside the timing: drain
  // and header only.
  NoSample = 0,
  // 250 ms a cycle as in the running program: a sample and a repaint about
  // every eighth cycle.
  RealTime = 1,
  // Two seconds a cycle: every cycle samples and repaints.
  SampleEveryCycle = 2,
};

void BM_PollCycle(benchmark::State& state) {
  const auto pace = static_cast<Pace>(state.range(0));
  const auto frames = static_cast<int>(state.range(1));
  RasterApp r(3);
  r.App.Link.NetLinkMode = NetLink::Udp;
  std::vector<std::uint8_t> bytes;
  for (const DiagFrame& f : SimulatedFrames(frames))
    bytes.insert(bytes.end(), f.begin(), f.end());

  std::int64_t t = 0;
  int repaints = 0;
  for (auto _ : state) {
    EmptyRing(r.App.Store);
    if (AppendToRing(r.App.Store, bytes) != 0)
      state.SkipWithError("the ring did not take every frame");
    if (pace == Pace::NoSample) ResetPeriod(r.App.Store);
    t += pace == Pace::RealTime ? 250 : pace == Pace::SampleEveryCycle ? 2000 : 0;
    r.Clock.SetMs(t);
    const int paintsBefore = r.Window->PaintCount();

    const auto start = std::chrono::steady_clock::now();
    r.Window->Send(WM_TIMER, 1, 0);
    const auto end = std::chrono::steady_clock::now();

    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    repaints += r.Window->PaintCount() - paintsBefore;
    if (r.App.Store.LinkRingCount.load() != 0)
      state.SkipWithError("the cycle left bytes in the ring");
  }
  state.SetItemsProcessed(state.iterations() * frames);
  state.counters["repaints_per_cycle"] =
      static_cast<double>(repaints) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PollCycle)
    ->ArgNames({"pace", "frames"})
    ->ArgsProduct({{static_cast<int>(Pace::NoSample), static_cast<int>(Pace::RealTime),
                    static_cast<int>(Pace::SampleEveryCycle)},
                   {kLineRateFrames, kRingFrames}})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ptpdiag::bench

BENCHMARK_MAIN();
