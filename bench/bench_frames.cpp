// Decoding throughput: the check and the store update of every frame.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench_support.h"

namespace ptpdiag::bench {
namespace {

constexpr int kFrames = 1 << 16;

void BM_CheckFrame(benchmark::State& state) {
  const std::vector<DiagFrame> frames = SimulatedFrames(kFrames);
  for (auto _ : state) {
    int good = 0;
    for (const DiagFrame& f : frames)
      good += CheckFrame(f) ? 1 : 0;
    benchmark::DoNotOptimize(good);
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_CheckFrame);

void BM_ApplyFrame(benchmark::State& state) {
  const std::vector<DiagFrame> frames = SimulatedFrames(kFrames);
  auto store = std::make_unique<DiagnosticsStore>();
  for (auto _ : state) {
    for (const DiagFrame& f : frames)
      ApplyFrame(*store, f);
    benchmark::DoNotOptimize(store->FreqSignal.data());
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_ApplyFrame);

// What the poll cycle does per frame, less the byte transport and drawing.
void BM_CheckAndApplyFrame(benchmark::State& state) {
  const std::vector<DiagFrame> frames = SimulatedFrames(kFrames);
  auto store = std::make_unique<DiagnosticsStore>();
  for (auto _ : state) {
    for (const DiagFrame& f : frames) {
      if (CheckFrame(f)) ApplyFrame(*store, f);
    }
    benchmark::DoNotOptimize(store->FreqSignal.data());
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_CheckAndApplyFrame);

}  // namespace
}  // namespace ptpdiag::bench

BENCHMARK_MAIN();
