#include <gtest/gtest.h>

#include "screens/frequency_panel.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::TestApp;

// Texts on one legend row (column 71 onwards), in drawing order.
std::vector<std::string> LegendRow(const RecordingCanvas& canvas, int row) {
  std::vector<std::string> texts;
  for (const DrawOp& op : canvas.OfKind(DrawOp::Kind::Text)) {
    if (op.rect.bottom == 16 * row && op.rect.left >= 700) texts.push_back(op.text);
  }
  return texts;
}

using Strings = std::vector<std::string>;

TEST(TransmitterScreen, EmptyStoreShowsFlatCurvesAndNoMinimum) {
  TestApp t(800, 560, 1);
  t.Repaint();
  EXPECT_EQ(t.canvas.TextAt(16, 230)->text, "Radio Transmitter vs Frequency");
  EXPECT_EQ(LegendRow(t.canvas, 12), (Strings{"  0", "  0", "  0"}));
  EXPECT_EQ(LegendRow(t.canvas, 17), (Strings{"  0", "   0", "  0"}));
  for (const Rgb colour : {kPenGreen.Colour, kPenRed.Colour}) {
    const auto lines = t.canvas.LinesIn(colour);
    ASSERT_EQ(lines.size(), 111U);
    EXPECT_EQ(lines.front().from, (Point{144, 480}));
    EXPECT_EQ(lines.back().to, (Point{655, 480}));
  }
}

TEST(TransmitterScreen, LegendLabelsAndColours) {
  TestApp t(800, 560, 1);
  t.Repaint();
  EXPECT_EQ(t.canvas.TextAt(160, 710)->text, "  VSWR");
  EXPECT_EQ(t.canvas.TextAt(160, 710)->colour, (Rgb{0, 160, 0}));
  EXPECT_EQ(t.canvas.TextAt(240, 710)->text, "Current");
  EXPECT_EQ(t.canvas.TextAt(256, 710)->text, "Mx Ave Mn");
  EXPECT_EQ(t.canvas.TextAt(256, 710)->colour, (Rgb{160, 0, 0}));
}

TEST(FrequencyPanel, BoxGridScaleAndAxis) {
  TestApp t(800, 560, 1);
  t.Repaint();
  const auto boxes = t.canvas.OfKind(DrawOp::Kind::Rectangle);
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].rect, (Rect{100, 80, 700, 480}));
  EXPECT_EQ(boxes[0].colour, kPenGrey.Colour);
  EXPECT_EQ(boxes[0].background, kBlack);
  EXPECT_EQ(t.canvas.LinesIn(kPenGrey.Colour).size(), 9U);
  EXPECT_EQ(t.canvas.TextAt(88, 60)->text, "100");
  EXPECT_EQ(t.canvas.TextAt(248, 60)->text, "60");
  EXPECT_EQ(t.canvas.TextAt(488, 60)->text, "0");
  EXPECT_EQ(t.canvas.TextAt(56, 330)->text, "Frequency");
  const char* labels[] = {"900. ", "905. ", "910. ", "915. ", "920. ", "925. ", "930. "};
  for (int j = 0; j <= 6; ++j) {
    const DrawOp* label = t.canvas.TextAt(72, 60 + 100 * j);
    ASSERT_NE(label, nullptr) << j;
    EXPECT_EQ(label->text, labels[j]);
  }
}

TEST(FrequencyPanel, ChannelPositions) {
  EXPECT_EQ(ChannelX(kChannelStep, 0), 144);
  EXPECT_EQ(ChannelX(kChannelStep, 1), 149);  // 148.608
  EXPECT_EQ(ChannelX(kChannelStep, 111), 655);
  EXPECT_EQ(ChannelX(kGoodChannelStep, 111), 655);
  EXPECT_EQ(ChannelX(kChannelStep, 14), 209);      // 208.512
  EXPECT_EQ(ChannelX(kGoodChannelStep, 14), 208);  // 208.456
  for (int i = 0; i <= 111; ++i) {
    EXPECT_LE(std::abs(ChannelX(kChannelStep, i) - ChannelX(kGoodChannelStep, i)), 1) << i;
  }
}

TEST(TransmitterScreen, StatisticsSkipChannelZeroButDivideBy111) {
  TestApp t(800, 560, 1);
  DiagnosticsStore& s = t.app.Store;
  s.FreqVswr[0] = 4080;  // start point only
  for (int i = 1; i <= 111; ++i)
    s.FreqVswr[static_cast<std::size_t>(i)] = 160;
  s.FreqVswr[111] = 320;
  for (int i = 1; i <= 111; ++i)
    s.FreqCurrent[static_cast<std::size_t>(i)] = 400;  // all above 99
  t.Repaint();
  // Max 320 / 16 = 20; average 17920 / 111 = 161.4 -> 161, / 16 -> 10; last 20.
  EXPECT_EQ(LegendRow(t.canvas, 12), (Strings{" 20", " 10", " 20"}));
  // Every channel at 400: 400 / 8 = 50 for all three.
  EXPECT_EQ(LegendRow(t.canvas, 17), (Strings{" 50", "  50", " 50"}));
  const auto vswr = t.canvas.LinesIn(kPenGreen.Colour);
  EXPECT_EQ(vswr.front().from, (Point{144, -540}));  // drawn outside the window, unclipped
  EXPECT_EQ(vswr.front().to, (Point{149, 440}));
  const auto current = t.canvas.LinesIn(kPenRed.Colour);
  EXPECT_EQ(current.back().to.y, 413);  // 480 - 400 / 6 = 413.33
}

TEST(SignalFrequencyScreen, EmptyStoreLegend) {
  TestApp t(800, 560, 2);
  t.Repaint();
  EXPECT_EQ(t.canvas.TextAt(16, 230)->text, "Signal Quality vs Frequency");
  EXPECT_EQ(LegendRow(t.canvas, 7), (Strings{"  0", "   0", "  0"}));
  EXPECT_EQ(LegendRow(t.canvas, 12), (Strings{"128", "128", "128"}));
  EXPECT_EQ(LegendRow(t.canvas, 17), (Strings{"128", " 128", "128"}));
  EXPECT_EQ(t.canvas.TextAt(80, 710)->text, " % Good ");
  EXPECT_EQ(t.canvas.TextAt(320, 710)->text, "PeakNoise");
  EXPECT_EQ(t.canvas.TextAt(320, 710)->colour, (Rgb{128, 128, 0}));
  for (const Pen& pen : {kPenGreen, kPenRed, kPenBlue, kPenOlive}) {
    const auto lines = t.canvas.LinesIn(pen.Colour);
    ASSERT_EQ(lines.size(), 111U);
    for (const DrawOp& line : lines)
      ASSERT_EQ(line.to.y, 480);
  }
}

TEST(SignalFrequencyScreen, DbmScaleBesideThePercentages) {
  TestApp t(800, 560, 2);
  t.Repaint();
  const char* expected[] = {"- 28", "- 48", "- 68", "- 88", "-108", "-128"};
  for (int k = 0; k < 6; ++k) {
    const DrawOp* label = t.canvas.TextAt(88 + 80 * k, 10);
    ASSERT_NE(label, nullptr) << k;
    EXPECT_EQ(label->text, expected[k]);
    EXPECT_EQ(label->colour, (Rgb{128, 128, 0}));
  }
}

TEST(SignalFrequencyScreen, CurvesAndLegendFromTheTables) {
  TestApp t(800, 560, 2);
  DiagnosticsStore& s = t.app.Store;
  for (int i = 1; i <= 111; ++i) {
    const auto c = static_cast<std::size_t>(i);
    s.FreqSignal[c] = 16 * 50;  // level 50 -> byte 78
    s.FreqNoise[c] = 16 * 20;   // level 20 -> byte 108
    s.FreqGoodScore[c] = 950;
    s.FreqPeakNoise[c] = 25;
  }
  s.FreqGoodScore[111] = 1000;
  s.FreqNoise[50] = 16 * 30;
  s.FreqPeakNoise[111] = 130;
  t.Repaint();
  EXPECT_EQ(LegendRow(t.canvas, 7), (Strings{"100", "  95", "100"}));
  EXPECT_EQ(LegendRow(t.canvas, 12), (Strings{" 78", " 78", " 78"}));
  // Noise maximum is the loudest channel, the minimum the quietest.
  EXPECT_EQ(LegendRow(t.canvas, 17), (Strings{" 98", " 108", "108"}));
  const auto good = t.canvas.LinesIn(kPenBlue.Colour);
  EXPECT_EQ(good.back().to, (Point{655, 80}));  // 480 - 1000 / 2.5
  const auto peak = t.canvas.LinesIn(kPenOlive.Colour);
  EXPECT_EQ(peak.back().to, (Point{655, -40}));  // 4 pixels per dB, outside the window
  EXPECT_EQ(peak[13].to, (Point{208, 380}));     // channel 14 on the 4.604 grid
  EXPECT_EQ(good[13].to, (Point{208, 100}));
  const auto signal = t.canvas.LinesIn(kPenGreen.Colour);
  EXPECT_EQ(signal[13].to, (Point{209, 280}));  // and on the 4.608 grid
}

// The minimum of a series: the smallest value among channels 1 to 111
// that are not 0 (a channel no frame reached), and 0 when all are.
struct MinimumCase {
  const char* Name;
  std::vector<std::pair<int, std::int32_t>> Channels;  // channel, value; the rest 0
  const char* Current;                                 // screen 1's "Mn": the value / 8
  const char* Noise;                                   // screen 2's "Mn": 128 - the value / 16
};

class LegendMinimum : public testing::TestWithParam<MinimumCase> {};

TEST_P(LegendMinimum, IsTheQuietestChannelThatHasData) {
  for (const int screen : {1, 2}) {
    TestApp t(800, 560, screen);
    ChannelTable& table = screen == 1 ? t.app.Store.FreqCurrent : t.app.Store.FreqNoise;
    for (const auto& [channel, value] : GetParam().Channels) {
      table[static_cast<std::size_t>(channel)] = value;
    }
    t.Repaint();
    const Strings row = LegendRow(t.canvas, 17);
    ASSERT_EQ(row.size(), 3U);
    EXPECT_EQ(row[2], screen == 1 ? GetParam().Current : GetParam().Noise)
        << GetParam().Name << ", screen " << screen;
  }
}

std::vector<std::pair<int, std::int32_t>> AllChannels(std::int32_t value) {
  std::vector<std::pair<int, std::int32_t>> all;
  for (int c = 1; c <= 111; ++c)
    all.emplace_back(c, value);
  return all;
}

INSTANTIATE_TEST_SUITE_P(
    Stores, LegendMinimum,
    testing::Values(
        MinimumCase{"empty", {}, "  0", "128"},
        MinimumCase{"one channel", {{40, 320}}, " 40", "108"},
        MinimumCase{"all channels", AllChannels(800), "100", " 78"},
        MinimumCase{"minimum on channel 111", {{1, 1600}, {60, 960}, {111, 160}}, " 20", "118"},
        // Channel 0 and channels past 111 are not shown.
        MinimumCase{"outside the shown channels", {{0, 16}, {112, 16}, {5, 480}}, " 60", " 98"}));

}  // namespace
}  // namespace ptpdiag
