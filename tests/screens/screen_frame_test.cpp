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

// The footer shows whichever link is open, and how long it has been
// quiet once that is 3 s or more.
struct FooterCase {
  const char* Name;
  int Link;              // 0 none, 1 serial, 2 TCP, 3 UDP
  std::string Address;   // TCP
  std::string Port;      // TCP, as typed
  std::int64_t QuietMs;  // since the last good frame
  const char* State;
  const char* Stale;  // "" when not stale
};

class Footer : public testing::TestWithParam<FooterCase> {};

TEST_P(Footer, TellsTheLinkAndHowLongItHasBeenQuiet) {
  const FooterCase& c = GetParam();
  TestApp t;
  LinkState& link = t.app.Link;
  if (c.Link == 1) {
    t.OpenFakeSerial();
    link.CommPortName = "Com2";
  } else if (c.Link == 2) {
    link.NetLinkMode = kNetLinkTcp;
  } else if (c.Link == 3) {
    link.NetLinkMode = kNetLinkUdp;
    link.UdpChannel = t.network.BindUdp(4242).Socket;
  }
  link.UdpAddress = c.Address;
  link.UdpPort = c.Port;
  t.clock.Monotonic = 100'000;
  if (c.Link != 0) link.LastFrameMs = t.clock.Monotonic - c.QuietMs;
  t.Repaint();
  const DrawOp* state = t.canvas.TextAt(536, 0);
  ASSERT_NE(state, nullptr) << c.Name;
  EXPECT_EQ(state->text, c.State) << c.Name;
  EXPECT_EQ(state->colour, (Rgb{0, 0, 128}));
  const int staleLeft = 10 * static_cast<int>(state->text.size());
  const DrawOp* stale = t.canvas.TextAt(536, staleLeft);
  if (std::string(c.Stale).empty()) {
    EXPECT_TRUE(stale == nullptr || stale->text.find_first_not_of(' ') == std::string::npos)
        << c.Name;
  } else {
    ASSERT_NE(stale, nullptr) << c.Name;
    EXPECT_EQ(stale->text, c.Stale) << c.Name;
    EXPECT_NE(stale->colour, state->colour);
  }
  // Left of the link event line at x = 500, always.
  for (const DrawOp& op : t.canvas.OfKind(DrawOp::Kind::Text)) {
    if (op.rect.bottom == 536 && op.rect.left < 500) {
      EXPECT_LE(op.rect.left + 10 * static_cast<int>(op.text.size()), 500) << op.text;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Links, Footer,
    testing::Values(
        FooterCase{"nothing open", 0, "", "", 0, "No Connection", ""},
        FooterCase{"serial", 1, "", "", 0, "Com2  Opened", ""},
        FooterCase{"serial, quiet 2.9 s", 1, "", "", 2999, "Com2  Opened", ""},
        FooterCase{"serial, quiet 3 s", 1, "", "", 3000, "Com2  Opened", "  no data 3 s"},
        FooterCase{"TCP", 2, "192.168.1.20", " 4000", 500, "TCP 192.168.1.20:4000  Opened", ""},
        FooterCase{"TCP, quiet", 2, "192.168.1.20", "4000", 12'400, "TCP 192.168.1.20:4000  Opened",
                   "  no data 12 s"},
        FooterCase{"TCP, a long name", 2, "radio-north-mast.field.example.com", "4000", 125'000,
                   "TCP radio-north-mast..:4000  Opened", "  no data 125 s"},
        FooterCase{"UDP, the port bound", 3, "", "", 0, "UDP 4242  Opened", ""}));

TEST(FooterStale, AppearsAfterThreeQuietSecondsAndGoesAtTheNextGoodFrame) {
  TestApp t;
  t.OpenFakeSerial();
  t.app.Link.LastFrameMs = t.clock.Monotonic;
  const auto footerTexts = [&t] {
    std::string line;
    for (const DrawOp& op : t.canvas.OfKind(DrawOp::Kind::Text)) {
      if (op.rect.bottom == 536 && op.rect.left < 500) line += op.text;
    }
    return line;
  };
  for (int tick = 1; tick <= 12; ++tick) {  // three seconds of ticks with nothing
    t.canvas.Clear();
    t.clock.Monotonic += 250;
    t.Tick();
  }
  EXPECT_NE(footerTexts().find("no data 3 s"), std::string::npos) << footerTexts();
  t.canvas.Clear();
  t.source.Push(test::Bytes(test::MakeFrame(80, 105, 70, 1, 2, 3, 4)));
  t.clock.Monotonic += 250;
  t.Tick();
  const std::string line = footerTexts();
  EXPECT_EQ(line.find("no data"), std::string::npos) << line;
  // Each drawing of the line is padded to 50 columns, so the old text is
  // wiped (the tick's sample repaints the screen too).
  EXPECT_EQ(line.size() % 50, 0U) << line;
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
