#include "screens/screen_frame.h"

#include <gtest/gtest.h>

#include "link/poll_cycle.h"
#include "screens/text_grid.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::TestApp;

TEST(ScreenFrame, RepaintErasesThenDrawsHeaderBodyAndFooter) {
  TestApp t;
  t.Repaint();
  const auto& ops = t.canvas.Ops();
  ASSERT_FALSE(ops.empty());
  EXPECT_EQ(ops.front().kind, DrawOp::Kind::Fill);
  EXPECT_EQ(ops.front().rect, (Rect{0, 0, 800, 560}));
  EXPECT_EQ(ops.front().colour, kWhite);

  const DrawOp* labels = t.canvas.TextAt(32, 0);
  ASSERT_NE(labels, nullptr);
  EXPECT_EQ(labels->text,
            "Signal(dBm)=    Noise(dBm)=    VSWR(J)=    Current(mA)=    Rcvd Rate(%)=");
  EXPECT_EQ(labels->text.size(), 72U);
  ASSERT_NE(t.canvas.TextAt(48, 0), nullptr);
  EXPECT_EQ(t.canvas.TextAt(48, 0)->text, "MaxMissed");

  const DrawOp* raw = t.canvas.FindText("Raw Data Stream:");
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(raw->rect, (Rect{360, 0, 800, 520}));
  const DrawOp* state = t.canvas.FindText("No Connection");
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(state->rect, (Rect{0, 0, 800, 536}));
  EXPECT_EQ(state->colour, (Rgb{0, 0, 128}));
  EXPECT_EQ(&ops.back(), state);
}

TEST(ScreenFrame, HeaderValuesUseTheRepaintGreenAndFixedColumns) {
  TestApp t;
  t.app.Store.ShownSignal = -110;
  t.app.Store.ShownNoise = 7;
  t.app.Store.ShownRcvdRate = 100;
  t.Repaint();
  struct Expected {
    int left;
    const char* text;
  };
  for (const Expected& e : {Expected{120, "-110"}, Expected{270, "  7"}, Expected{390, "  0"},
                            Expected{550, "  0"}, Expected{720, "100. "}}) {
    const DrawOp* value = t.canvas.TextAt(32, e.left);
    ASSERT_NE(value, nullptr) << e.left;
    EXPECT_EQ(value->text, e.text);
    EXPECT_EQ(value->colour, (Rgb{0, 160, 0}));
  }
}

TEST(ScreenFrame, OpenSerialPortIsNamedInTheFooter) {
  TestApp t;
  t.app.Link.CommOpen = 1;
  t.app.Link.CommPortName = "Com3";
  t.Repaint();
  EXPECT_NE(t.canvas.FindText("Com3  Opened"), nullptr);
  EXPECT_EQ(t.canvas.FindText("No Connection"), nullptr);
}

TEST(ScreenFrame, NetworkLinkAloneStillShowsNoConnection) {
  TestApp t;
  t.app.Link.NetLinkMode = kNetLinkUdp;
  t.Repaint();
  EXPECT_NE(t.canvas.FindText("No Connection"), nullptr);
}

struct HeightCase {
  int height;
  int rows;
};

class TableRows : public testing::TestWithParam<HeightCase> {};

TEST_P(TableRows, FollowTheClientHeight) {
  TestApp t(800, GetParam().height);
  t.Repaint();
  EXPECT_EQ(t.app.Window.TableRowsVisible, GetParam().rows);
  // Only the footer's last line moves with the height.
  EXPECT_EQ(t.canvas.FindText("No Connection")->rect.bottom, GetParam().height - 24);
  EXPECT_EQ(t.canvas.FindText("Raw Data Stream:")->rect.bottom, 520);
}

INSTANTIATE_TEST_SUITE_P(Heights, TableRows,
                         testing::Values(HeightCase{600, 25}, HeightCase{560, 23},
                                         HeightCase{190, 0}, HeightCase{180, 0},
                                         HeightCase{100, -5}));

TEST(ScreenFrame, LinkEventLineIsRedrawnInBlackWhenThereAreEvents) {
  TestApp t;
  t.Repaint();
  EXPECT_EQ(t.canvas.TextAt(536, 500), nullptr);
  // An event recorded outside a repaint or poll cycle is only counted...
  LinkEventLine(t.app, 10061, 3);
  EXPECT_EQ(t.app.Store.LinkEventCount, 1);
  // ...and the next repaint shows it.
  t.Repaint();
  const DrawOp* line = t.canvas.TextAt(536, 500);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->text, "Num=1 Type=10061 Value=3");
  EXPECT_EQ(line->colour, kBlack);
}

TEST(ScreenFrame, ScreenNumberOutsideOneToThreeDrawsNoBody) {
  TestApp t;
  t.app.Window.ScreenNumber = 0;
  t.Repaint();
  EXPECT_TRUE(t.canvas.OfKind(DrawOp::Kind::Rectangle).empty());
  EXPECT_NE(t.canvas.FindText("No Connection"), nullptr);
}

TEST(TextGrid, RowsAndColumnsMapToPixels) {
  TestApp t;
  WindowState& w = t.app.Window;
  SetTextCursor(w, 32.5F, 37);
  EXPECT_EQ(w.TextRect, (Rect{360, 0, 800, 520}));
  SetTextCursor(w, 3.5F, 1);
  EXPECT_EQ(w.TextRect.bottom, 56);
  SetTextCursor(w, 1, 73);
  EXPECT_EQ(w.TextRect, (Rect{720, 0, 800, 16}));
}

TEST(TextGrid, TextPastTheRightEdgeIsClippedButTheCursorAdvancesFully) {
  TestApp t;
  WindowState& w = t.app.Window;
  t.canvas.Clear();
  w.ScreenDC.Attach(&t.canvas);
  SetTextCursor(w, 5, 80);
  PrintAtCursor(w, "ABCD");
  EXPECT_EQ(w.TextRect.left, 790 + 40);
  ASSERT_EQ(t.canvas.Ops().size(), 1U);
  EXPECT_EQ(t.canvas.Ops()[0].rect, (Rect{790, 0, 800, 80}));  // room for one cell
  w.ScreenDC.Release();
}

}  // namespace
}  // namespace ptpdiag
