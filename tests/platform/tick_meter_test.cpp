#include "platform/tick_meter.h"

#include <gtest/gtest.h>

namespace ptpdiag {
namespace {

using Ms = std::chrono::milliseconds;

struct AskedCase {
  std::int64_t AskedAtMs;
  double MeanLateMs;
  double MaxLateMs;
  double P99LateMs;
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
  EXPECT_NEAR(stats.P99LateMs, GetParam().P99LateMs, 0.11);
}

// 1,000 ticks: 989 on time, ten 20 ms late and one 300 ms late; the 99th
// percentile is in the ten, beyond the bins' range only the highest.
TEST(TickStats, The99thPercentileIsTheTenthLatestOfAThousand) {
  auto at = std::chrono::steady_clock::time_point{} + Ms(1000);
  TickMeter meter;
  meter.TickAt(at);
  for (int i = 1; i <= 1000; ++i) {
    const int late = i <= 10 ? 20 : i == 11 ? 300 : 0;
    at += Ms(250 + late);
    meter.TickAt(at);
  }
  EXPECT_NEAR(meter.StatsAt(at).P99LateMs, 20, 0.11);  // the top of its bin
  for (int i = 0; i < 20; ++i) meter.TickAt(at += Ms(550));
  EXPECT_DOUBLE_EQ(meter.StatsAt(at).P99LateMs, 300);
}

INSTANTIATE_TEST_SUITE_P(Times, TickStatsAsked,
                         testing::Values(AskedCase{700, 50, 100, 100},   // next not yet due
                                         AskedCase{850, 50, 100, 100},   // due just now
                                         AskedCase{1000, 250.0 / 3, 150, 150},
                                         AskedCase{10600, 9850.0 / 3, 9750, 9750}));

}  // namespace
}  // namespace ptpdiag
