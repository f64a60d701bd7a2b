#include "screens/signal_time_screen.h"

#include <gtest/gtest.h>

#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::TestApp;
using Strings = std::vector<std::string>;

std::string TextAt(const RecordingCanvas& canvas, int bottom, int left) {
  const DrawOp* op = canvas.TextAt(bottom, left);
  return op != nullptr ? op->text : "<none>";
}

// Moves the clock so that the elapsed seconds read `now`.
void SetNow(TestApp& t, std::int32_t now) {
  t.clock.Monotonic = 1000LL * now;
}

TEST(SignalTimeScreen, EmptyHistoryDrawsFrameScalesAndZeroPanel) {
  TestApp t;
  t.Repaint();
  const auto& c = t.canvas;
  EXPECT_EQ(TextAt(c, 16, 250), "Signal Quality vs Time");
  EXPECT_EQ(c.FindText("Minutes Ago"), nullptr);
  EXPECT_EQ(c.FindText("Hours Ago"), nullptr);
  EXPECT_EQ(c.OfKind(DrawOp::Kind::Line).size(), 9U);  // the grid only
  EXPECT_EQ(TextAt(c, 88, 60), "100");
  EXPECT_EQ(TextAt(c, 488, 60), "0");
  EXPECT_EQ(TextAt(c, 88, 10), " 20K");
  EXPECT_EQ(TextAt(c, 408, 10), "  4K");
  EXPECT_EQ(c.TextAt(88, 10)->colour, (Rgb{128, 128, 0}));
  EXPECT_EQ(TextAt(c, 80, 710), " Error  %");
  EXPECT_EQ(TextAt(c, 112, 700), "  0   0  0");
  EXPECT_EQ(TextAt(c, 192, 700), "128128128");
  EXPECT_EQ(TextAt(c, 272, 700), "128 128128");
  EXPECT_EQ(TextAt(c, 336, 700), "  0.00");
  EXPECT_EQ(TextAt(c, 400, 700), "  0.00");
  EXPECT_EQ(c.TextAt(400, 700)->colour, (Rgb{192, 128, 0}));
  EXPECT_EQ(TextAt(c, 448, 710), "NumPoints");
  EXPECT_EQ(TextAt(c, 464, 740), "0");
}

struct SpanCase {
  std::int32_t age;
  bool hours;
  std::int32_t span;
};

class TimeSpan : public testing::TestWithParam<SpanCase> {};

TEST_P(TimeSpan, StepsUpWithTheAgeOfTheOldestSlot) {
  const TimeAxis axis = ChooseTimeAxis(GetParam().age, 100000);
  EXPECT_EQ(axis.Hours, GetParam().hours);
  EXPECT_EQ(axis.Span, GetParam().span);
  EXPECT_EQ(axis.Start, 100000 - GetParam().span);
}

INSTANTIATE_TEST_SUITE_P(Ages, TimeSpan,
                         testing::Values(SpanCase{0, false, 450}, SpanCase{449, false, 450},
                                         SpanCase{450, false, 900}, SpanCase{899, false, 900},
                                         SpanCase{900, false, 1800}, SpanCase{1799, false, 1800},
                                         SpanCase{1800, false, 3600}, SpanCase{3599, false, 3600},
                                         SpanCase{3600, true, 7200}, SpanCase{7199, true, 7200},
                                         SpanCase{7200, true, 14400}, SpanCase{86399, true, 86400},
                                         SpanCase{86400, true, 172800},
                                         SpanCase{691199, true, 691200},
                                         SpanCase{691200, true, 5529600},
                                         SpanCase{100000000, true, 5529600}));

TEST(SignalTimeScreen, MinuteLabelsForTheShortestSpan) {
  TestApp t;
  t.app.Store.HistIndex = 1;
  t.app.Store.HistTime[1] = 2;
  SetNow(t, 3);
  t.Repaint();
  EXPECT_EQ(TextAt(t.canvas, 56, 330), "Minutes Ago");
  const Strings expected = {"  7.5 ", "  6.25", "  5.  ", "  3.75", "  2.5 ", "  1.25", "  0.  "};
  for (int i = 0; i <= 6; ++i)
    EXPECT_EQ(TextAt(t.canvas, 72, 60 + 100 * i), expected[static_cast<std::size_t>(i)]);
}

TEST(SignalTimeScreen, HourLabelsOnceTheHistoryIsAnHourOld) {
  TestApp t;
  t.app.Store.HistIndex = 2;
  t.app.Store.HistTime[1] = 2;
  t.app.Store.HistTime[2] = 3602;
  SetNow(t, 3602);
  t.Repaint();
  EXPECT_EQ(TextAt(t.canvas, 56, 360), "Hours Ago");
  EXPECT_EQ(t.canvas.FindText("Minutes Ago"), nullptr);
  const Strings expected = {"  2.  ", "  1.67", "  1.33", "  1.  ", "  0.67", "  0.33", "  0.  "};
  for (int i = 0; i <= 6; ++i)
    EXPECT_EQ(TextAt(t.canvas, 72, 60 + 100 * i), expected[static_cast<std::size_t>(i)]);
}

TEST(SignalTimeScreen, OneSlotGivesSinglePointsAndNoRates) {
  TestApp t;
  DiagnosticsStore& s = t.app.Store;
  s.HistIndex = 1;
  s.HistTime[1] = 2;
  s.HistSignal[1] = 60;
  s.HistNoise[1] = 20;
  s.HistErrorRate[1] = 128;
  s.HistXmit[1] = 5000;
  SetNow(t, 2);
  t.Repaint();
  // x = 100 + 600 x (2 - (2 - 450)) / 450 = 700
  for (const auto& [colour, y] : {std::pair{kPenGreen.Colour, 240}, std::pair{kPenRed.Colour, 400},
                                  std::pair{kPenBlue.Colour, 278}}) {
    const auto lines = t.canvas.LinesIn(colour);
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_EQ(lines[0].from, (Point{700, y}));
    EXPECT_EQ(lines[0].to, (Point{700, y}));
  }
  EXPECT_TRUE(t.canvas.LinesIn(kPenOlive.Colour).empty());
  EXPECT_TRUE(t.canvas.LinesIn(kPenOrange.Colour).empty());
  EXPECT_EQ(TextAt(t.canvas, 112, 700), " 50  50 50");  // 128 / 2.56
  EXPECT_EQ(TextAt(t.canvas, 192, 700), " 68 68 68");
  EXPECT_EQ(TextAt(t.canvas, 272, 700), "108 108108");
  EXPECT_EQ(TextAt(t.canvas, 336, 700), "  0.00");
  EXPECT_EQ(TextAt(t.canvas, 464, 740), "1");
}

TEST(SignalTimeScreen, RateStepsRunFromTheSlotBefore) {
  TestApp t;
  DiagnosticsStore& s = t.app.Store;
  s.HistIndex = 3;
  s.HistTime[1] = 2;
  s.HistTime[2] = 2;
  s.HistTime[3] = 4;
  s.HistXmit[1] = 10000;   // over 2 s: 5000 B/s -> 100 pixels
  s.HistXmit[2] = 100000;  // no time between slots: dt counts as 1 -> 2000, drawn at 400
  s.HistRcvd[1] = 3;
  SetNow(t, 4);
  t.Repaint();
  const auto xmit = t.canvas.LinesIn(kPenOlive.Colour);
  ASSERT_EQ(xmit.size(), 4U);
  EXPECT_EQ(TimeX(ChooseTimeAxis(2, 4), 0), 695);  // 100 + 600 x 446 / 450 = 694.67
  EXPECT_EQ(xmit[0].from, (Point{697, 480}));
  EXPECT_EQ(xmit[0].to, (Point{695, 380}));
  EXPECT_EQ(xmit[1].to, (Point{697, 380}));
  EXPECT_EQ(xmit[2].to, (Point{697, 80}));
  EXPECT_EQ(xmit[3].to, (Point{697, 80}));
  // The panel shows the last step at full height: 2000 x 50 / 1000 kB/s.
  EXPECT_EQ(TextAt(t.canvas, 336, 700), "100.00");
  EXPECT_EQ(TextAt(t.canvas, 400, 700), "  0.00");
  EXPECT_EQ(t.canvas.LinesIn(kPenOrange.Colour).size(), 4U);
}

TEST(SignalTimeScreen, FirstRateStepReachesLeftOfTheBoxOnceTheHistoryMovesOn) {
  TestApp t;
  DiagnosticsStore& s = t.app.Store;
  s.HistIndex = 2;
  s.HistTime[1] = 900;
  s.HistTime[2] = 1000;
  s.HistXmit[1] = 4500000;  // over 900 s: 5000 B/s -> 100 pixels
  SetNow(t, 1000);
  t.Repaint();
  const auto xmit = t.canvas.LinesIn(kPenOlive.Colour);
  ASSERT_EQ(xmit.size(), 2U);
  EXPECT_EQ(xmit[0].from, (Point{567, 480}));  // 100 + 600 x 350 / 450 = 566.67
  EXPECT_EQ(xmit[0].to, (Point{-633, 380}));   // slot 0 at t = 0, unclipped
  EXPECT_EQ(xmit[1].to, (Point{567, 380}));
}

TEST(SignalTimeScreen, NoiseAboveNinetyNineLeavesTheMinimumAt99) {
  TestApp t;
  DiagnosticsStore& s = t.app.Store;
  s.HistIndex = 2;
  s.HistTime[1] = 2;
  s.HistTime[2] = 4;
  s.HistNoise[1] = 110;
  s.HistNoise[2] = 120;
  s.HistErrorRate[1] = 255;
  s.HistErrorRate[2] = 0;
  SetNow(t, 5);
  t.Repaint();
  EXPECT_EQ(TextAt(t.canvas, 272, 700), "  8  13 29");
  EXPECT_EQ(TextAt(t.canvas, 112, 700), "100  50  0");  // 255 / 2.56 = 99.6; 128 / 2.56 = 50
  const auto error = t.canvas.LinesIn(kPenBlue.Colour);
  EXPECT_EQ(error[0].to.y, 80);  // 478 - 255 / 0.64 = 79.56
}

}  // namespace
}  // namespace ptpdiag
