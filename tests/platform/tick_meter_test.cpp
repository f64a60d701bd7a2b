#include "platform/tick_meter.h"

#include <gtest/gtest.h>

namespace ptpdiag {
namespace {

using Ms = std::chrono::milliseconds;

struct AskedCase {
  std::int64_t AskedAtMs;
  double MeanLateMs;
  double MaxLateMs;
};

class TickStatsAsked : public testing::TestWithParam<AskedCase> {};

// Ticks at 0, 250 and 600 ms (the last 100 ms late); the tick due next
// counts once it is late when asked, as a cycle still running does.
TEST_P(TickStatsAsked, CountTheTickDueWhenItIsAlreadyLate) {
  const auto start = std::chrono::steady_clock::time_point{} + Ms(1000);
  TickMeter meter;
  for (const int at : {0, 250, 600}) meter.TickAt(start + Ms(at));
  const TickStats stats = meter.StatsAt(start + Ms(GetParam().AskedAtMs));
  EXPECT_EQ(stats.Ticks, 3);
  EXPECT_DOUBLE_EQ(stats.MeanLateMs, GetParam().MeanLateMs);
  EXPECT_DOUBLE_EQ(stats.MaxLateMs, GetParam().MaxLateMs);
}

INSTANTIATE_TEST_SUITE_P(Times, TickStatsAsked,
                         testing::Values(AskedCase{700, 50, 100},   // next not yet due
                                         AskedCase{850, 50, 100},   // due just now
                                         AskedCase{1000, 250.0 / 3, 150},
                                         AskedCase{10600, 9850.0 / 3, 9750}));

}  // namespace
}  // namespace ptpdiag
