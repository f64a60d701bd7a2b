// Figures, not timings: how the hop-compensated level holds still on a
// static link and follows a step of the whole link, over many seeds.
// Static link: channel spread +-6 dB, scatter 2 dB. Per seed: the
// deviation of the level over ticks after 30 s (and of the raw per-tick
// mean); for a +-3 dB step at 120 s, the change seen at the first tick 1 s
// after it, the error at 3 s, and the error of the mean of the 10 s from
// 3 s on, both against the 60 s before plus the step.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "alignment/alignment_meter.h"
#include "link/diag_frame.h"
#include "sim/frame_generator.h"

namespace {

using namespace ptpdiag;

constexpr std::int64_t kTick = 250;
constexpr std::int64_t kStepMs = 120000;

std::vector<AlignmentFigures> Simulate(double rate, double stepDb, std::uint64_t seed, double seconds) {
  sim::GeneratorSettings s;
  s.Seed = seed;
  s.HopsPerSecond = rate;
  s.MissFraction = 0;
  s.ChannelSpreadDb = 6;
  s.SignalSigmaDb = 2;
  if (stepDb != 0) s.Steps.push_back({kStepMs / 1000.0, stepDb});
  sim::FrameGenerator generator(s);
  AlignmentMeter meter;
  std::vector<AlignmentFigures> ticks;
  sim::GeneratedHop hop = generator.Next();
  for (std::int64_t t = kTick; t <= seconds * 1000; t += kTick) {
    for (; hop.TimeMs < t; hop = generator.Next())
      meter.AddFrame(hop.Frame[1] - kChannelByteOffset, hop.Frame[3], t);
    ticks.push_back(meter.EndTick(t, std::nullopt));
  }
  return ticks;
}

double At(const std::vector<AlignmentFigures>& t, std::int64_t ms) {
  return t[static_cast<std::size_t>(ms / kTick - 1)].LevelDbm.value_or(NAN);
}

double Mean(const std::vector<AlignmentFigures>& t, std::int64_t from, std::int64_t to) {
  double sum = 0;
  for (std::int64_t ms = from; ms < to; ms += kTick) sum += At(t, ms);
  return sum / static_cast<double>((to - from) / kTick);
}

double Deviation(const std::vector<double>& v) {
  double mean = 0, squares = 0;
  for (double x : v) mean += x / static_cast<double>(v.size());
  for (double x : v) squares += (x - mean) * (x - mean);
  return std::sqrt(squares / static_cast<double>(v.size()));
}

}  // namespace

int main() {
  constexpr int kSeeds = 20;
  std::vector<double> level, raw;
  for (int seed = 1; seed <= kSeeds; ++seed) {
    std::vector<double> l, r;
    for (const AlignmentFigures& f : Simulate(50, 0, static_cast<std::uint64_t>(seed), 180)) {
      if (f.Ms < 30000) continue;
      l.push_back(*f.LevelDbm);
      r.push_back(*f.RawDbm);
    }
    level.push_back(Deviation(l));
    raw.push_back(Deviation(r));
  }
  std::sort(level.begin(), level.end());
  std::sort(raw.begin(), raw.end());
  std::printf("static link, 50 hops/s, %d seeds: level deviation median %.2f dB, worst %.2f dB; raw per-tick mean %.2f dB\n",
              kSeeds, level[kSeeds / 2], level.back(), raw[kSeeds / 2]);
  std::printf("%-6s %-5s %-28s %-28s %-28s\n", "hops/s", "step", "seen at +1 s (min/median)",
              "error at +3 s (median/worst)", "10 s mean error (med/worst)");
  for (const double rate : {50.0, 10.0}) {
    for (const double db : {3.0, -3.0}) {
      std::vector<double> seen, at3, settled;
      for (int seed = 1; seed <= kSeeds; ++seed) {
        const auto t = Simulate(rate, db, static_cast<std::uint64_t>(seed), 135);
        const double before = Mean(t, kStepMs - 60000, kStepMs);
        seen.push_back((At(t, kStepMs + 1000) - before) * (db > 0 ? 1 : -1));
        at3.push_back(std::abs(At(t, kStepMs + 3000) - before - db));
        settled.push_back(std::abs(Mean(t, kStepMs + 3000, kStepMs + 13000) - before - db));
      }
      for (auto* v : {&seen, &at3, &settled}) std::sort(v->begin(), v->end());
      std::printf("%-6.0f %+-5.0f %6.2f / %-19.2f %6.2f / %-19.2f %6.2f / %.2f\n", rate, db, seen.front(),
                  seen[kSeeds / 2], at3[kSeeds / 2], at3.back(), settled[kSeeds / 2], settled.back());
    }
  }
  return 0;
}
