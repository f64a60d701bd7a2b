#include "screens/alignment_screen.h"

#include <gtest/gtest.h>

#include "platform/virtual_keys.h"
#include "resources/command_ids.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::TestApp;

// One channel at -62 dBm for a second of ticks.
void FeedLevel(TestApp& t, std::uint8_t signal) {
  for (std::int64_t ms = 250; ms <= 1000; ms += 250) {
    t.app.Alignment.AddFrame(1, signal, ms);
    t.app.Alignment.EndTick(ms, -109.0);
  }
}

// From the highest to the lowest bar in the level's colour: the digits' height.
int LevelDigitsHeight(const RecordingCanvas& canvas) {
  int top = 10000, bottom = 0;
  for (const DrawOp& op : canvas.OfKind(DrawOp::Kind::Fill)) {
    if (op.colour != Rgb{0, 0, 140}) continue;
    top = std::min(top, op.rect.top);
    bottom = std::max(bottom, op.rect.bottom);
  }
  return bottom - top;
}

TEST(Screen5, LevelDigitsFillAQuarterOfTheHeightAndTheNoSignalLineGoes) {
  TestApp t(800, 560, 5);
  t.Repaint();
  EXPECT_EQ(t.canvas.TextAt(226, 20)->text, "No good frame in the last second");
  FeedLevel(t, 62);
  t.canvas.Clear();
  t.window.InvalidateRect(t.window.GetClientRect(), false);  // over what is there
  t.window.UpdateWindow();
  EXPECT_GE(LevelDigitsHeight(t.canvas) * 4, 560);
  EXPECT_EQ(t.canvas.TextAt(226, 20)->text, std::string(32, ' '));
  EXPECT_EQ(t.canvas.TextAt(246, 20)->text.substr(0, 30), "Best -62.0 dBm at 12:00:00   n");
}

// T, M and R act on screen 5; M stays the misses layer on screen 4.
TEST(Screen5, ToneModeAndBestKeys) {
  TestApp t(800, 560, 5);
  FeedLevel(t, 62);
  t.window.Send(WM_KEYDOWN, VK_A + ('T' - 'A'), 0);
  EXPECT_TRUE(t.app.ToneOn);
  t.window.Send(WM_INITMENUPOPUP, 0, 0);
  EXPECT_TRUE(t.window.MenuItemChecked(IDM_TONE));
  t.window.Send(WM_KEYDOWN, VK_A + ('M' - 'A'), 0);
  EXPECT_EQ(t.app.Tone.Settings().Mode, ToneMode::Magnifier);
  EXPECT_EQ(t.app.Window.QualityLayer, WaterfallLayer::Noise);
  t.window.Send(WM_KEYDOWN, VK_A + ('R' - 'A'), 0);
  EXPECT_FALSE(t.app.Alignment.Figures().BestDbm);
  t.window.Send(WM_COMMAND, IDM_TONE, 0);
  EXPECT_FALSE(t.app.ToneOn);
  t.window.Send(WM_COMMAND, IDM_SHOW_SCREEN4, 0);
  t.window.Send(WM_KEYDOWN, VK_A + ('T' - 'A'), 0);
  EXPECT_FALSE(t.app.ToneOn);
  t.window.Send(WM_COMMAND, IDM_SHOW_SCREEN5, 0);
  EXPECT_EQ(t.app.Window.ScreenNumber, 5);
}

}  // namespace
}  // namespace ptpdiag
