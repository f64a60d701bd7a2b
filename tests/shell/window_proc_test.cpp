#include "shell/window_proc.h"

#include <gtest/gtest.h>

#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::TestApp;

TEST(WindowCreation, ResetsStoreAndPaintsScreenThreeOnce) {
  TestApp t;
  EXPECT_EQ(t.window.PaintCount(), 1);
  EXPECT_NE(t.canvas.FindText("Signal Quality vs Time"), nullptr);
  EXPECT_EQ(t.canvas.Ops().front().kind, DrawOp::Kind::Fill);  // erased first
  EXPECT_EQ(t.app.Store.StartSeconds, ClockSeconds(t.clock.Local));
  EXPECT_EQ(t.app.Link.CommOpen, 0);
  EXPECT_EQ(t.app.Link.CommPortName, "Com1");
  EXPECT_FLOAT_EQ(t.app.Window.PollInterval, 0.1F);
  EXPECT_EQ(t.app.Radios.RadioFileName, "NONAME.RAD");
  EXPECT_EQ(t.app.Radios.RadioName[2047][7], ' ');
  EXPECT_EQ(t.app.Window.ClientRect, (Rect{0, 0, 800, 560}));
  EXPECT_EQ(t.app.Window.PenOrange, kPenOrange);
}

TEST(WindowCreation, RestartsTheHistoryButNotTheCounts) {
  TestApp t;
  t.app.Store.HistIndex = 5;
  t.app.Store.HistMissCount[0] = 4;
  t.app.Store.FreqNoise[1] = 9;
  t.window.Send(WM_CREATE, 0, 0);
  EXPECT_EQ(t.app.Store.HistIndex, 0);
  EXPECT_EQ(t.app.Store.FreqNoise[1], 0);
  EXPECT_EQ(t.app.Store.HistMissCount[0], 4);
}

TEST(WindowProcedure, PreambleRunsForEveryMessage) {
  TestApp t;
  t.app.Link.UdpPassword = "changed";
  BackedWindow other(300, 200, &t.canvas);
  WNDPROC(t.app, &other, 12345, 0, 0);
  EXPECT_EQ(t.app.Link.UdpPassword, kDefaultUdpPassword);
  EXPECT_EQ(t.app.Link.UdpPassword.size(), 4U);
  EXPECT_EQ(t.app.Window.CurrentWindow, &other);
}

struct ResultCase {
  std::uint32_t message;
  LRESULT result;
};

class DispatchResult : public testing::TestWithParam<ResultCase> {};

TEST_P(DispatchResult, IsZeroForEveryTabledMessage) {
  TestApp t;
  EXPECT_EQ(t.window.Send(GetParam().message, 0, 0), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Messages, DispatchResult,
                         testing::Values(ResultCase{WM_NETWORK_NOTIFY, 0}, ResultCase{WM_NOTIFY, 0},
                                         ResultCase{WM_MENUSELECT, 0},
                                         ResultCase{WM_LBUTTONDOWN, 0},
                                         ResultCase{WM_RBUTTONDOWN, 0}, ResultCase{WM_MOUSEMOVE, 0},
                                         ResultCase{WM_SIZE, 0}, ResultCase{WM_TIMER, 0},
                                         ResultCase{WM_COMMAND, 0}, ResultCase{WM_KEYDOWN, 0},
                                         ResultCase{WM_PAINT, 0}));

TEST(WindowProcedure, PaintMessageRepaintsTheSelectedScreen) {
  TestApp t(800, 560, 2);
  t.canvas.Clear();
  t.window.Send(WM_PAINT, 0, 0);
  EXPECT_NE(t.canvas.FindText("Signal Quality vs Frequency"), nullptr);
  EXPECT_EQ(t.window.PaintCount(), 2);
}

struct MenuHelpCase {
  std::uint32_t id;
  const char* text;
};

class MenuHelp : public testing::TestWithParam<MenuHelpCase> {};

TEST_P(MenuHelp, ShowsTheStringTableText) {
  TestApp t;
  t.window.Send(WM_MENUSELECT, GetParam().id | (0x8000u << 16), 0);
  EXPECT_EQ(t.window.StatusText(), GetParam().text);
  EXPECT_EQ(t.app.Window.StatusText, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Items, MenuHelp,
    testing::Values(MenuHelpCase{3076, "Exit Razozade"}, MenuHelpCase{3080, "Help"},
                    MenuHelpCase{3072, "Open new file"}, MenuHelpCase{119, ""},
                    MenuHelpCase{131, "Close the TCP or UDP link"},
                    MenuHelpCase{3092, "Save a picture of the window as it is now (PNG)"},
                    MenuHelpCase{0, ""}));

TEST(WindowProcedure, MouseMoveShowsTheCoordinates) {
  TestApp t;
  t.window.Send(WM_MENUSELECT, 3076, 0);
  t.window.Send(WM_MOUSEMOVE, 0, MakeLParam(120, 45));
  EXPECT_EQ(t.window.StatusText(), " 120, 45");
  t.window.Send(WM_MOUSEMOVE, 0, MakeLParam(65535, 0));
  EXPECT_EQ(t.window.StatusText(), " 65535, 0");
}

TEST(WindowProcedure, ButtonPressRemembersItsHeight) {
  TestApp t;
  t.window.Send(WM_LBUTTONDOWN, 1, MakeLParam(10, 95));
  EXPECT_EQ(t.app.Window.ClickY, 95);
  t.window.Send(WM_RBUTTONDOWN, 2, MakeLParam(10, 500));
  EXPECT_EQ(t.app.Window.ClickY, 500);
}

TEST(WindowProcedure, DestroyPostsQuitWithCodeZero) {
  TestApp t;
  EXPECT_EQ(t.window.Send(WM_DESTROY, 0, 0), 0);
  EXPECT_TRUE(t.window.QuitPosted());
  EXPECT_EQ(t.window.ExitCode(), 0);
}

TEST(WindowProcedure, CloseGoesThroughDestroy) {
  TestApp t;
  t.window.Send(WM_CLOSE, 0, 0);
  EXPECT_TRUE(t.window.QuitPosted());
}

}  // namespace
}  // namespace ptpdiag
