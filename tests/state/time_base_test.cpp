#include "state/time_base.h"

#include <gtest/gtest.h>

#include "support/test_app.h"

namespace ptpdiag {
namespace {

struct ClockCase {
  LocalDateTime when;
  std::int32_t seconds;
};

class ClockSecondsTest : public testing::TestWithParam<ClockCase> {};

TEST_P(ClockSecondsTest, CountsFrom1990With365DayYears) {
  EXPECT_EQ(ClockSeconds(GetParam().when), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, ClockSecondsTest,
    testing::Values(ClockCase{{1990, 1, 1, 0, 0, 0}, 86400},
                    ClockCase{{1990, 1, 1, 23, 59, 59}, 86400 + 86399},
                    ClockCase{{1991, 1, 1, 0, 0, 0}, 31536000 + 86400},
                    ClockCase{{2026, 2, 28, 12, 0, 0}, 1135296000 + 2678400 + 28 * 86400 + 43200},
                    ClockCase{{2026, 3, 1, 12, 0, 0}, 1135296000 + 5097600 + 86400 + 43200},
                    ClockCase{{2026, 12, 31, 23, 59, 59},
                              1135296000 + 28857600 + 31 * 86400 + 86399},
                    ClockCase{{2000, 2, 29, 0, 0, 0}, 315360000 + 2678400 + 29 * 86400}));

TEST(ClockSeconds, FirstOfMarchIsADayAfterTheEndOfFebruary) {
  const LocalDateTime feb28{2026, 2, 28, 8, 30, 0};
  const LocalDateTime mar1{2026, 3, 1, 8, 30, 0};
  EXPECT_EQ(ClockSeconds(mar1) - ClockSeconds(feb28), 86400);
  // In a leap year 29 February and 1 March give the same count.
  EXPECT_EQ(ClockSeconds({2024, 2, 29, 8, 30, 0}), ClockSeconds({2024, 3, 1, 8, 30, 0}));
}

TEST(TimeOfDayText, IsEightCharacters) {
  EXPECT_EQ(TimeOfDayText({2026, 1, 1, 9, 5, 3}), "09:05:03");
  EXPECT_EQ(TimeOfDayText({2026, 1, 1, 23, 59, 59}), "23:59:59");
}

TEST(ElapsedClock, CountsSecondBoundariesOfTheWallClock) {
  test::FakeClock clock;
  clock.Local.Millisecond = 600;
  clock.Monotonic = 10'000;
  ElapsedClock elapsed;
  elapsed.Restart(clock);
  EXPECT_EQ(elapsed.Seconds(clock), 0);
  clock.Monotonic = 10'399;
  EXPECT_EQ(elapsed.Seconds(clock), 0);
  clock.Monotonic = 10'400;  // the wall clock reaches its next whole second
  EXPECT_EQ(elapsed.Seconds(clock), 1);
  clock.Monotonic = 12'400;
  EXPECT_EQ(elapsed.Seconds(clock), 3);
}

TEST(ElapsedClock, IgnoresTheLocalTimeBeingSetBack) {
  test::FakeClock clock;
  ElapsedClock elapsed;
  elapsed.Restart(clock);
  clock.AdvanceSeconds(10);
  clock.Local.Hour -= 1;  // daylight saving ends
  EXPECT_EQ(elapsed.Seconds(clock), 10);
  clock.AdvanceSeconds(5);
  EXPECT_EQ(elapsed.Seconds(clock), 15);
}

}  // namespace
}  // namespace ptpdiag
