#include "shell/keyboard.h"

#include <gtest/gtest.h>

#include "platform/virtual_keys.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::TestApp;

enum class Ending { Repaint, NoErase, Silent };

const char* Name(Ending e) {
  return e == Ending::Repaint ? "repaint" : e == Ending::NoErase ? "no-erase" : "silent";
}

// How the last message ended: no paint, a paint on a white-filled client, or a
// paint over what was there.
Ending LastEnding(const TestApp& t, int paintsBefore) {
  if (t.window.PaintCount() == paintsBefore) return Ending::Silent;
  const auto& ops = t.canvas.Ops();
  const bool erased = !ops.empty() && ops.front().kind == DrawOp::Kind::Fill &&
                      ops.front().rect == t.window.GetClientRect() && ops.front().colour == kWhite;
  return erased ? Ending::Repaint : Ending::NoErase;
}

struct KeyCase {
  std::string name;
  int screen;
  int radios;
  int selected;
  std::uint32_t key;
  int selectedAfter;
  int screenAfter;
  Ending ending;
};

class KeyTable : public testing::TestWithParam<KeyCase> {};

TEST_P(KeyTable, ActsAndEndsAsTabled) {
  const KeyCase& c = GetParam();
  TestApp t(800, 560, c.screen);
  t.app.Radios.RadioCount = c.radios;
  t.app.Radios.SelectedRadio = c.selected;
  t.window.Send(WM_PAINT);  // TableRowsVisible comes from a repaint: 23 at 560
  ASSERT_EQ(t.app.Window.TableRowsVisible, 23);
  t.canvas.Clear();
  const int paints = t.window.PaintCount();
  EXPECT_EQ(t.window.Send(WM_KEYDOWN, c.key, 0), 0);
  EXPECT_EQ(t.app.Radios.SelectedRadio, c.selectedAfter);
  EXPECT_EQ(t.app.Window.ScreenNumber, c.screenAfter);
  EXPECT_STREQ(Name(LastEnding(t, paints)), Name(c.ending));
  EXPECT_FALSE(t.window.QuitPosted());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyTable,
    testing::Values(KeyCase{"UpWrapsToCount", 3, 5, 0, VK_UP, 5, 3, Ending::NoErase},
                    KeyCase{"DownWrapsToZero", 3, 5, 5, VK_DOWN, 0, 3, Ending::NoErase},
                    KeyCase{"DownSteps", 2, 5, 1, VK_DOWN, 2, 2, Ending::Repaint},
                    KeyCase{"UpOnEmptyListStaysZero", 3, 0, 0, VK_UP, 0, 3, Ending::NoErase},
                    KeyCase{"DownOnEmptyListStaysZero", 2, 0, 0, VK_DOWN, 0, 2, Ending::Repaint},
                    KeyCase{"UpOnScreenOneChangesNothing", 1, 5, 2, VK_UP, 2, 1, Ending::Repaint},
                    KeyCase{"PageUpBelowOneIsZero", 2, 40, 3, VK_PRIOR, 0, 2, Ending::Repaint},
                    KeyCase{"PageUpByAPage", 3, 40, 30, VK_PRIOR, 7, 3, Ending::NoErase},
                    KeyCase{"PageUpToExactlyOne", 3, 40, 24, VK_PRIOR, 1, 3, Ending::NoErase},
                    KeyCase{"PageDownOnlyRepaints", 3, 40, 3, VK_NEXT, 3, 3, Ending::Repaint},
                    KeyCase{"OneSelectsScreenOne", 3, 0, 0, VK_0 + 1, 0, 1, Ending::Repaint},
                    KeyCase{"TwoSelectsScreenTwo", 1, 0, 0, VK_0 + 2, 0, 2, Ending::Repaint},
                    KeyCase{"ThreeSelectsScreenThree", 2, 0, 0, VK_0 + 3, 0, 3, Ending::Repaint},
                    KeyCase{"FourSelectsScreenFour", 2, 0, 0, VK_0 + 4, 0, 4, Ending::Repaint},
                    KeyCase{"KeypadOneSelectsNothing", 2, 0, 0, VK_NUMPAD0 + 1, 0, 2,
                            Ending::Repaint},
                    KeyCase{"WIsSilent", 2, 0, 0, VK_A + ('W' - 'A'), 0, 2, Ending::Silent},
                    KeyCase{"CIsSilent", 2, 0, 0, VK_A + ('C' - 'A'), 0, 2, Ending::Silent}),
    [](const auto& info) { return info.param.name; });

TEST(Keyboard, CClearsPeakNoiseOnly) {
  TestApp t;
  t.app.Store.FreqPeakNoise.fill(7);
  t.app.Store.FreqNoise.fill(9);
  t.window.Send(WM_KEYDOWN, VK_A + ('C' - 'A'), 0);
  for (const auto v : t.app.Store.FreqPeakNoise)
    ASSERT_EQ(v, 0);
  EXPECT_EQ(t.app.Store.FreqNoise[100], 9);
}

TEST(Keyboard, EscQuitsWithoutTheCloseRoutine) {
  TestApp t;
  t.window.Send(WM_COMMAND, 121, 0);  // Open Comm on the fake port
  ASSERT_EQ(t.app.Link.CommOpen, 1);
  t.window.Send(WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(t.window.QuitPosted());
  EXPECT_EQ(t.window.ExitCode(), 0);
  EXPECT_EQ(t.app.Link.CommOpen, 1);
  EXPECT_EQ(t.source.Closes, 0);
}

struct ClickCase {
  bool left;
  int y;  // below the client top
  int selectedAfter;
};

class ClickBands : public testing::TestWithParam<ClickCase> {};

TEST_P(ClickBands, ActAsTheirKeysInsideStrictBounds) {
  const ClickCase& c = GetParam();
  TestApp t(800, 560, 2);
  t.app.Radios.RadioCount = 40;
  t.app.Radios.SelectedRadio = 30;
  t.window.Send(WM_PAINT);
  t.app.Window.TableRowsVisible = 25;  // the down band is then 512 < y < 526
  const int paints = t.window.PaintCount();
  const auto y = static_cast<std::uint32_t>(c.y);
  EXPECT_EQ(t.window.Send(c.left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, 0, MakeLParam(400, y)), 0);
  EXPECT_EQ(t.app.Window.ClickY, c.y);
  EXPECT_EQ(t.app.Radios.SelectedRadio, c.selectedAfter) << (c.left ? "left " : "right ") << c.y;
  const bool inBand = c.selectedAfter != 30 || (!c.left && c.y > 560 - 76 && c.y < 560 - 60);
  EXPECT_EQ(t.window.PaintCount() > paints, inBand) << c.y;
}

INSTANTIATE_TEST_SUITE_P(Bands, ClickBands,
                         testing::Values(ClickCase{true, 80, 30}, ClickCase{true, 81, 29},
                                         ClickCase{true, 95, 29}, ClickCase{true, 96, 30},
                                         ClickCase{true, 512, 30}, ClickCase{true, 513, 31},
                                         ClickCase{true, 525, 31}, ClickCase{true, 526, 30},
                                         ClickCase{false, 81, 5}, ClickCase{false, 96, 30},
                                         ClickCase{false, 484, 30}, ClickCase{false, 485, 30},
                                         ClickCase{false, 499, 30}, ClickCase{false, 500, 30}));

}  // namespace
}  // namespace ptpdiag
