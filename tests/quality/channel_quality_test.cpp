// The channel-quality engine: its figures by their definitions on made-up
// visits, then against a simulated link whose interferers are known.
#include "quality/channel_quality.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "quality/quality_json.h"
#include "sim/frame_generator.h"

namespace ptpdiag {
namespace {

struct WilsonCase {
  std::uint64_t Hits, Trials;
  double Low, High;
};

class Wilson : public testing::TestWithParam<WilsonCase> {};

TEST_P(Wilson, MatchesTheScoreInterval) {
  const ShareInterval i = WilsonInterval(GetParam().Hits, GetParam().Trials);
  EXPECT_NEAR(i.Low, GetParam().Low, 5e-5);
  EXPECT_NEAR(i.High, GetParam().High, 5e-5);
}

INSTANTIATE_TEST_SUITE_P(Shares, Wilson,
                         testing::Values(WilsonCase{0, 10, 0.0, 0.27753},
                                         WilsonCase{5, 10, 0.23659, 0.76341},
                                         WilsonCase{20, 20, 0.83887, 1.0},
                                         WilsonCase{1, 100, 0.00177, 0.05449}));

// Every channel visited `visits` times at `floorByte`; then the test's own.
ChannelQuality FlatLink(int visits, std::uint8_t floorByte) {
  ChannelQuality q;
  for (int c = 1; c <= kQualityChannels; ++c)
    for (int v = 0; v < visits; ++v) q.AddFrame(c, floorByte, 70, 250 * v);
  return q;
}

TEST(ChannelQuality, PercentilesAreNearestRankInDbm) {
  ChannelQuality q;
  for (int b = 100; b <= 109; ++b) q.AddFrame(7, static_cast<std::uint8_t>(b), b % 2 == 0 ? 0 : 60, 0);
  q.AddFrame(7, 200, 0, 0);  // beyond 127: counts as -127 dBm
  const QualityOfChannel f = q.Figures().Channels[6];
  EXPECT_EQ(f.Visits, 11U);
  EXPECT_EQ(f.NoiseP10Dbm, -109);  // rank 2 of 11
  EXPECT_EQ(f.NoiseP50Dbm, -105);  // rank 6
  EXPECT_EQ(f.NoiseP90Dbm, -101);  // rank 10
  EXPECT_EQ(f.NoiseP99Dbm, -100);  // rank 11
  EXPECT_NEAR(*f.GoodPct, 100.0 * 5 / 11, 1e-4);
  EXPECT_DOUBLE_EQ(*f.SignalMeanDbm, -60);
  EXPECT_FALSE(q.Figures().Channels[7].NoiseP50Dbm);  // no visit, no figure
}

TEST(ChannelQuality, FlagsAndExcludesByTheDefinitions) {
  ChannelQuality q = FlatLink(30, 110);
  for (int v = 0; v < 10; ++v) q.AddFrame(40, 100, 70, 0);   // exactly floor + 10 dB
  for (int v = 0; v < 2; ++v) q.AddFrame(41, 101, 70, 0);    // 9 dB: not interfered
  for (int v = 0; v < 30; ++v) q.AddFrame(50, 80, 70, 0);    // half its visits
  for (int v = 0; v < 19; ++v) q.AddFrame(112, 80, 70, 0);   // outside
  q.AddFrame(0, 80, 70, 0);
  const QualityFigures f = q.Figures();
  EXPECT_EQ(f.FloorDbm, -110.0);
  EXPECT_EQ(f.Outside, 20U);
  EXPECT_TRUE(f.Channels[39].Flagged);
  EXPECT_DOUBLE_EQ(*f.Channels[39].Duty, 0.25);
  EXPECT_FALSE(f.Channels[40].Flagged);
  EXPECT_DOUBLE_EQ(*f.Channels[40].Duty, 0.0);
  EXPECT_DOUBLE_EQ(*f.Channels[49].Duty, 0.5);
  EXPECT_EQ(f.Exclude, (std::vector<int>{50, 40}));
}

TEST(ChannelQuality, NothingIsFlaggedBeforeTwentyVisitsOrAFloor) {
  ChannelQuality lone;
  for (int v = 0; v < 30; ++v) lone.AddFrame(5, 60, 70, 0);
  EXPECT_EQ(lone.Figures().FloorDbm, -60.0);  // its own floor: nothing above it
  EXPECT_FALSE(lone.Figures().Channels[4].Flagged);
  ChannelQuality q;
  for (int c = 1; c <= 110; ++c)
    for (int v = 0; v < 30; ++v) q.AddFrame(c, 110, 70, 0);
  for (int v = 0; v < 19; ++v) q.AddFrame(111, 60, 70, 0);
  EXPECT_DOUBLE_EQ(*q.Figures().Channels[110].Duty, 1.0);
  EXPECT_FALSE(q.Figures().Channels[110].Flagged);  // 19 visits
  q.AddFrame(111, 60, 70, 0);
  EXPECT_TRUE(q.Figures().Channels[110].Flagged);
}

TEST(ChannelQuality, ExcludingLeavesFiftyChannelsHighestDutyFirst) {
  ChannelQuality q = FlatLink(40, 110);
  for (int c = 1; c <= 70; ++c)
    for (int v = 0; v < c; ++v) q.AddFrame(c, 80, 70, 0);  // duty rises with the channel
  const QualityFigures f = q.Figures();
  ASSERT_EQ(f.Exclude.size(), static_cast<std::size_t>(kQualityChannels - kMinChannelsLeft));
  EXPECT_EQ(f.Exclude.front(), 70);
  EXPECT_EQ(f.Exclude.back(), 10);
}

TEST(ChannelQuality, JsonHasEveryChannelAndNullsWhereNothingIsKnown) {
  ChannelQuality q;
  q.AddFrame(3, 100, 0, 0);
  const std::string json = QualityJson(q.Figures());
  EXPECT_EQ(json.rfind("{\"FloorDbm\": null, \"ThresholdDb\": 10, \"Outside\": 0, \"Channels\": [", 0), 0U);
  EXPECT_NE(json.find("{\"Channel\": 3, \"Visits\": 1, \"NoiseP10Dbm\": -100, \"NoiseP50Dbm\": -100, "
                      "\"NoiseP90Dbm\": -100, \"NoiseP99Dbm\": -100, \"Duty\": 0, \"DutyLow\": 0, "
                      "\"DutyHigh\": 0.7935, \"PeriodS\": null, \"GoodPct\": 0, \"SignalMeanDbm\": null, "
                      "\"Flagged\": false}"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("{\"Channel\": 111, \"Visits\": 0, \"NoiseP10Dbm\": null"), std::string::npos);
  EXPECT_TRUE(json.ends_with("\n  ], \"Exclude\": []}")) << json.substr(json.size() - 40);
}

// A simulated link at 50 hops/s with a flat floor at -109 dBm and the
// interferers given, fed as the poll cycle feeds it (each frame at the
// tick after it arrived).
struct Simulated {
  ChannelQuality Quality;
  std::map<int, std::pair<int, int>> Truth;  // channel: interfered, visits
};

Simulated Simulate(double seconds, std::vector<sim::Interferer> interferers, std::uint64_t seed) {
  sim::GeneratorSettings s;
  s.Seed = seed;
  s.NoiseFloorDbm = -109;
  s.NoiseSpreadDb = 4;
  s.Interferers = std::move(interferers);
  sim::FrameGenerator generator(s);
  Simulated out;
  for (;;) {
    const sim::GeneratedHop hop = generator.Next();
    if (hop.TimeMs >= seconds * 1000) break;
    out.Quality.AddFrame(hop.Frame[1] - kChannelByteOffset, hop.Frame[2], hop.Frame[3],
                         (hop.TimeMs / 250 + 1) * 250);
    auto& [interfered, visits] = out.Truth[hop.Channel];
    interfered += hop.Interfered ? 1 : 0;
    ++visits;
  }
  return out;
}

struct InterfererCase {
  int First, Last;
  double Duty, PeriodS;
  bool PeriodFound;
};

class SimulatedInterferer : public testing::TestWithParam<InterfererCase> {};

TEST_P(SimulatedInterferer, IsFlaggedWithItsDutyAndPeriod) {
  const InterfererCase& c = GetParam();
  const Simulated s = Simulate(600, {{c.First, c.Last, c.Duty, c.PeriodS, -84.0}}, 7);
  const QualityFigures f = s.Quality.Figures();
  for (int ch = 1; ch <= kQualityChannels; ++ch) {
    const QualityOfChannel& got = f.Channels[static_cast<std::size_t>(ch - 1)];
    const bool inside = ch >= c.First && ch <= c.Last;
    EXPECT_EQ(got.Flagged, inside) << "channel " << ch;
    if (!inside) continue;
    const auto [interfered, visits] = s.Truth.at(ch);
    EXPECT_NEAR(*got.Duty, static_cast<double>(interfered) / visits, 0.06) << "channel " << ch;
    if (c.PeriodFound) {
      ASSERT_TRUE(got.PeriodS) << "channel " << ch;
      EXPECT_NEAR(*got.PeriodS, c.PeriodS, 0.1 * c.PeriodS) << "channel " << ch;
    } else {
      EXPECT_FALSE(got.PeriodS) << "channel " << ch;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Interferers, SimulatedInterferer,
                         testing::Values(InterfererCase{40, 45, 0.2, 10, true},
                                         InterfererCase{40, 45, 0.5, 45, true},
                                         InterfererCase{60, 60, 1.0, 10, false},
                                         // Faster than each channel comes round: no period, not an alias.
                                         InterfererCase{40, 45, 0.2, 5, false}));

TEST(SimulatedCleanLink, AnHourFlagsNoChannel) {
  const QualityFigures f = Simulate(3600, {}, 8).Quality.Figures();
  for (const QualityOfChannel& c : f.Channels) EXPECT_FALSE(c.Flagged) << "channel " << c.Channel;
  EXPECT_TRUE(f.Exclude.empty());
}

}  // namespace
}  // namespace ptpdiag
