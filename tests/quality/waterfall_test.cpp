#include "quality/waterfall.h"

#include <gtest/gtest.h>

namespace ptpdiag {
namespace {

TEST(Waterfall, CellsKeepTheLoudestNoiseTheMeanSignalAndTheMissesWithGapsEmpty) {
  Waterfall w;
  w.Add(10, 100, 60, 0);
  w.Add(10, 90, 0, 1999);  // a miss, louder, same 2-s row
  w.Add(10, 110, 70, 4000);
  ASSERT_EQ(w.Rows(), 3);
  const WaterfallCell& first = w.Row(0)[9];
  EXPECT_EQ(first.NoiseMaxDbm(), -90);
  EXPECT_EQ(first.SignalMeanDbm(), -60.0);
  EXPECT_EQ(first.MissShare(), 0.5);
  EXPECT_FALSE(w.Row(1)[9].NoiseMaxDbm());  // no visit: a gap
  EXPECT_FALSE(w.Row(0)[10].MissShare());
  w.Add(0, 50, 50, 0);  // no channel
  w.Add(112, 50, 50, 0);
  EXPECT_EQ(w.Row(0)[0].Visits, 0U);
}

TEST(Waterfall, FullRowsMergeInPairsAndTheSpanDoubles) {
  Waterfall w;
  for (int row = 0; row < kWaterfallRows; ++row)
    w.Add(1, static_cast<std::uint8_t>(100 + row % 2), row % 2 == 0 ? 60 : 80, row * kFirstRowMs);
  EXPECT_EQ(w.Rows(), kWaterfallRows);
  EXPECT_EQ(w.RowMs(), kFirstRowMs);
  w.Add(1, 120, 0, kWaterfallRows * kFirstRowMs);  // one more row than there is room for
  EXPECT_EQ(w.RowMs(), 2 * kFirstRowMs);
  EXPECT_EQ(w.Rows(), kWaterfallRows / 2 + 1);
  const WaterfallCell& merged = w.Row(5)[0];
  EXPECT_EQ(merged.Visits, 2U);
  EXPECT_EQ(merged.NoiseMaxDbm(), -100);
  EXPECT_EQ(merged.SignalMeanDbm(), -70.0);
  EXPECT_EQ(w.Row(kWaterfallRows / 2)[0].MissShare(), 1.0);
  // A week later: merged as often as it takes, in the same rows.
  w.Add(1, 100, 60, 7LL * 24 * 3600 * 1000);
  EXPECT_LE(w.Rows(), kWaterfallRows);
  EXPECT_EQ(w.RowMs(), kFirstRowMs << 11);
}

}  // namespace
}  // namespace ptpdiag
