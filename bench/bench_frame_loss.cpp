// Share of the radio's frames the frame loop decodes when the link carries
// line noise (garbage bytes before frames) or frames with a wrong check
// byte, at 50 and 1280 hops/s: a minute of the simulated radio replayed
// through the poll cycle with a driver queue that never fills, as a serial
// port's would. Prints the share decoded and the backlog left at the end
// (the lag of everything shown). Not a timing: the figures are counts.
#include <cstdio>
#include <cstdint>

#include "link/replay.h"
#include "shell/startup.h"
#include "sim/frame_generator.h"
#include "state/app_context.h"

namespace ptpdiag::bench {
namespace {

constexpr int kSeconds = 60;

struct Faults {
  const char* Name;
  double Garbage;
  double BadCheck;
};

struct Outcome {
  std::int64_t Sent = 0;  // frames with a good check byte
  std::int64_t Decoded = 0;
  std::int32_t BacklogBytes = 0;
};

Capture FaultyCapture(double hopsPerSecond, const Faults& faults, std::int64_t& goodFrames) {
  sim::GeneratorSettings settings;
  settings.Seed = 7;
  settings.HopsPerSecond = hopsPerSecond;
  settings.GarbageFraction = faults.Garbage;
  settings.BadCheckFraction = faults.BadCheck;
  sim::FrameGenerator generator(settings);
  Capture capture;
  goodFrames = 0;
  while (generator.HopTimeMs(generator.HopsGenerated()) < 1000LL * kSeconds) {
    const sim::GeneratedHop hop = generator.Next();
    if (hop.Fault == sim::HopFault::None) ++goodFrames;
    sim::AppendHopBytes(hop, capture.Bytes);
    capture.Chunks.push_back(CaptureChunk{hop.TimeMs, capture.Bytes.size()});
    capture.LastTimeMs = hop.TimeMs;
  }
  return capture;
}

// Frames applied: every history slot's good and missed hops, and the open
// period's.
std::int64_t FramesApplied(const DiagnosticsStore& s) {
  std::int64_t n = s.PeriodGoodCount + s.PeriodMissCount;
  for (int i = 0; i <= s.HistIndex; ++i) {
    n += s.HistGoodCount[static_cast<std::size_t>(i)] + s.HistMissCount[static_cast<std::size_t>(i)];
  }
  return n;
}

Outcome Run(double hopsPerSecond, const Faults& faults) {
  Outcome out;
  const Capture capture = FaultyCapture(hopsPerSecond, faults, out.Sent);
  ReplayClock clock(capture.Start);
  AppContext app(clock);
  NullCanvas canvas;
  BackedWindow window(800, 560, &canvas);
  SetStartValues(app);
  CreateMainWindow(app, window);
  CaptureFeed feed(LinesOf(capture));
  ReplayPlan plan;
  plan.UntilMs = 1000LL * kSeconds;
  RunReplay(app, window, clock, feed, plan);
  out.Decoded = FramesApplied(app.Store);
  out.BacklogBytes = feed.BytesAvailable();
  return out;
}

}  // namespace
}  // namespace ptpdiag::bench

int main() {
  using namespace ptpdiag::bench;
  const Faults faults[] = {{"clean", 0.0, 0.0},
                           {"1% garbage", 0.01, 0.0},
                           {"5% garbage", 0.05, 0.0},
                           {"1% bad check", 0.0, 0.01},
                           {"5% bad check", 0.0, 0.05}};
  std::printf("frame loss: %d s of the simulated radio through the poll cycle\n", kSeconds);
  std::printf("%-8s %-14s %10s %10s %9s %14s\n", "hops/s", "faults", "good sent", "decoded",
              "share", "backlog bytes");
  for (const double rate : {50.0, 1280.0}) {
    for (const Faults& f : faults) {
      const Outcome o = Run(rate, f);
      std::printf("%-8.0f %-14s %10lld %10lld %8.2f%% %14d\n", rate, f.Name,
                  static_cast<long long>(o.Sent), static_cast<long long>(o.Decoded),
                  o.Sent > 0 ? 100.0 * static_cast<double>(o.Decoded) / static_cast<double>(o.Sent) : 0.0,
                  o.BacklogBytes);
    }
  }
  return 0;
}
