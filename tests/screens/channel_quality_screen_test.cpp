#include "screens/channel_quality_screen.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/virtual_keys.h"
#include "resources/command_ids.h"
#include "screens/frequency_panel.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::TestApp;

// The colour of the last fill covering (x, y), if any, after the erase.
std::optional<Rgb> FillAt(const TestApp& t, int x, int y) {
  std::optional<Rgb> colour;
  for (const DrawOp& op : t.canvas.OfKind(DrawOp::Kind::Fill)) {
    const Rect& r = op.rect;
    if (r == t.window.GetClientRect()) continue;
    if (r.left <= x && x < r.right && r.top <= y && y < r.bottom) colour = op.colour;
  }
  return colour;
}

// Two 2-second rows. The first: every channel but 40 at -109 dBm, good at
// -78 dBm. The second (the newest): channel 40 at -80 dBm, every hop missed;
// nothing else. Channel 40 is then flagged with no period.
void FeedTwoRows(ChannelQuality& q) {
  for (int visit = 0; visit < 25; ++visit) {
    for (int c = 1; c <= 111; ++c)
      if (c != 40) q.AddFrame(c, 109, 78, 40 * visit);
    q.AddFrame(40, 80, 0, 2000 + 40 * visit);
  }
}

struct CellCase {
  const char* name;
  WaterfallLayer layer;
  int channel;
  int shownRow;  // 0 the newest, on top
  std::optional<int> step;  // nothing: a gap, left black
};

class QualityCells : public testing::TestWithParam<CellCase> {};

// Floor -109: the noise scale starts at -116 in 5 dB steps; signal at -115
// in 7 dB steps; misses in 10 % steps.
TEST_P(QualityCells, ColourByLayerNewestOnTopGapsLeftBlack) {
  const CellCase& c = GetParam();
  TestApp t(800, 560, 4);
  FeedTwoRows(t.app.Quality);
  t.app.Window.QualityLayer = c.layer;
  t.Repaint();
  const int y = 80 + (c.shownRow == 0 ? 0 : 2);
  const auto colour = FillAt(t, ChannelX(kChannelStep, c.channel), y);
  if (c.step) {
    EXPECT_EQ(colour, WaterfallStepColour(*c.step));
  } else {
    EXPECT_EQ(colour, std::nullopt);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Screen4, QualityCells,
    testing::Values(CellCase{"NoiseOfTheInterferer", WaterfallLayer::Noise, 40, 0, 7},
                    CellCase{"NoiseOfTheFloor", WaterfallLayer::Noise, 41, 1, 1},
                    CellCase{"NoVisitIsAGap", WaterfallLayer::Noise, 41, 0, std::nullopt},
                    CellCase{"LastChannel", WaterfallLayer::Noise, 111, 1, 1},
                    CellCase{"MeanSignal", WaterfallLayer::Signal, 41, 1, 5},
                    CellCase{"NoGoodHopIsAGapForSignal", WaterfallLayer::Signal, 40, 0,
                             std::nullopt},
                    CellCase{"AllMissed", WaterfallLayer::Misses, 40, 0, 9},
                    CellCase{"NoneMissed", WaterfallLayer::Misses, 41, 1, 0}),
    [](const auto& info) { return info.param.name; });

TEST(Screen4, FlaggedChannelMarkedAndListedWorst) {
  TestApp t(800, 560, 4);
  FeedTwoRows(t.app.Quality);
  t.Repaint();
  EXPECT_EQ(FillAt(t, ChannelX(kChannelStep, 40), 485), (Rgb{255, 0, 0}));
  EXPECT_EQ(FillAt(t, ChannelX(kChannelStep, 41), 485), std::nullopt);
  EXPECT_EQ(t.canvas.TextAt(16 * 22, 700)->text, "40  100%  ");
  EXPECT_EQ(t.canvas.TextAt(16 * 23, 700)->text, "  T none  ");
  EXPECT_EQ(t.canvas.TextAt(16 * 24, 700)->text, "          ");
}

TEST(Screen4, EmptyStoreDrawsNoCellAndNoWorstChannel) {
  TestApp t(800, 560, 4);
  t.Repaint();
  for (int c : {1, 56, 111}) EXPECT_EQ(FillAt(t, ChannelX(kChannelStep, c), 100), std::nullopt);
  EXPECT_EQ(t.canvas.TextAt(16 * 22, 700)->text, "none      ");
  EXPECT_EQ(t.canvas.TextAt(88, 65)->text, "now");
}

// The layer keys act on screen 4 only; the menu item reaches the screen.
TEST(Screen4, LayerKeysAndMenuItem) {
  TestApp t(800, 560, 3);
  t.window.Send(WM_KEYDOWN, VK_A + ('S' - 'A'), 0);
  EXPECT_EQ(t.app.Window.QualityLayer, WaterfallLayer::Noise);
  t.window.Send(WM_COMMAND, IDM_SHOW_SCREEN4, 0);
  EXPECT_EQ(t.app.Window.ScreenNumber, 4);
  for (const auto& [letter, layer] : {std::pair{'S', WaterfallLayer::Signal},
                                      std::pair{'M', WaterfallLayer::Misses},
                                      std::pair{'N', WaterfallLayer::Noise}}) {
    t.window.Send(WM_KEYDOWN, VK_A + (letter - 'A'), 0);
    EXPECT_EQ(t.app.Window.QualityLayer, layer) << letter;
  }
}

}  // namespace
}  // namespace ptpdiag
