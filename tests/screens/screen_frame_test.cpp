#include "screens/screen_frame.h"

#include <gtest/gtest.h>

#include "link/link_events.h"
#include "link/recording.h"
#include "screens/text_grid.h"
#include "support/temp_folder.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::TempFolder;
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
  // The footer's line comes last: the state, blanks, the recording mark's cells.
  ASSERT_GE(ops.size(), 3U);
  EXPECT_EQ(&ops[ops.size() - 3], state);
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

// The footer shows whichever link is open and whether bytes can come over
// it, and how long it has been quiet once that is 3 s or more.
enum class FooterLink { None, Serial, SerialReopening, SerialGone, Tcp, Udp, UdpDemo };

struct FooterCase {
  const char* Name;
  FooterLink Link;
  std::string Address;   // TCP
  std::string Port;      // TCP, as typed
  std::int64_t QuietMs;  // since the last good frame
  const char* State;
  const char* Stale;                                         // "" when not stale
  TcpProgress Tcp = {TcpProgress::Phase::Connected, {}, 0};  // RetryAtMs from now
};

class Footer : public testing::TestWithParam<FooterCase> {};

void OpenFooterLink(TestApp& t, const FooterCase& c) {
  LinkState& link = t.app.Link;
  switch (c.Link) {
    case FooterLink::None:
      break;
    case FooterLink::Serial:
    case FooterLink::SerialGone:
      t.OpenFakeSerial();
      link.CommDeviceGone = c.Link == FooterLink::SerialGone;
      break;
    case FooterLink::SerialReopening:
      t.OpenFakeSerial();
      link.CommHandle.reset();
      link.CommReopen.Active = true;
      break;
    case FooterLink::Tcp:
      link.NetLinkMode = NetLink::Tcp;
      link.Tcp = c.Tcp;
      link.Tcp.RetryAtMs += t.clock.Monotonic;
      break;
    case FooterLink::Udp:
    case FooterLink::UdpDemo:
      link.NetLinkMode = NetLink::Udp;
      link.UdpChannel = t.network.BindUdp(4242).Socket;
      if (c.Link == FooterLink::UdpDemo) link.DemoPort = 4242;
      break;
  }
  link.CommPortName = "Com2";
  link.UdpAddress = c.Address;
  link.UdpPort = c.Port;
  if (c.Link != FooterLink::None) link.LastFrameMs = t.clock.Monotonic - c.QuietMs;
}

TEST_P(Footer, TellsTheLinkAndHowLongItHasBeenQuiet) {
  const FooterCase& c = GetParam();
  TestApp t;
  t.clock.Monotonic = 100'000;
  OpenFooterLink(t, c);
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
  // Every one of its 50 columns, and left of the link event line at x = 500.
  int covered = 0;
  for (const DrawOp& op : t.canvas.OfKind(DrawOp::Kind::Text)) {
    if (op.rect.bottom == 536 && op.rect.left < 500) {
      EXPECT_EQ(op.rect.left, covered) << op.text;
      covered += 10 * static_cast<int>(op.text.size());
    }
  }
  EXPECT_EQ(covered, 500) << c.Name;
}

constexpr TcpProgress kRefusedRetryIn8s{TcpProgress::Phase::Waiting,
                                        LinkError{kErrTcpConnect, 111, LinkReason::Refused}, 7'400};

INSTANTIATE_TEST_SUITE_P(
    Links, Footer,
    testing::Values(
        FooterCase{"nothing open", FooterLink::None, "", "", 0, "No Connection", ""},
        FooterCase{"serial", FooterLink::Serial, "", "", 0, "Com2  Opened", ""},
        FooterCase{"serial, quiet 2.9 s", FooterLink::Serial, "", "", 2999, "Com2  Opened", ""},
        FooterCase{"serial, quiet 3 s", FooterLink::Serial, "", "", 3000, "Com2  Opened",
                   "  no data 3 s"},
        FooterCase{"serial, device gone, reopened when back", FooterLink::SerialReopening, "", "",
                   9000, "Com2  device gone, waiting for it", ""},
        FooterCase{"serial, device gone, no reconnect", FooterLink::SerialGone, "", "", 9000,
                   "Com2  device gone", ""},
        FooterCase{"TCP", FooterLink::Tcp, "192.168.1.20", " 4000", 500,
                   "TCP 192.168.1.20:4000  Opened", ""},
        FooterCase{"TCP, quiet", FooterLink::Tcp, "192.168.1.20", "4000", 12'400,
                   "TCP 192.168.1.20:4000  Opened", "  no data 12 s"},
        FooterCase{"TCP, a long name", FooterLink::Tcp, "radio-north-mast.field.example.com",
                   "4000", 125'000, "TCP radio-north..:4000  Opened", "  no data 125 s"},
        FooterCase{"TCP, connecting",
                   FooterLink::Tcp,
                   "10.0.0.7",
                   "4000",
                   9000,
                   "TCP 10.0.0.7:4000  connecting",
                   "",
                   {TcpProgress::Phase::Connecting, {}, 0}},
        FooterCase{"TCP, refused, waiting", FooterLink::Tcp, "10.0.0.7", "4000", 9000,
                   "TCP 10.0.0.7:4000  refused, retry in 8 s", "", kRefusedRetryIn8s},
        FooterCase{"TCP, retry due",
                   FooterLink::Tcp,
                   "10.0.0.7",
                   "4000",
                   9000,
                   "TCP 10.0.0.7:4000  connecting",
                   "",
                   {TcpProgress::Phase::Waiting, LinkError{kErrTcpTimeout, 3}, 0}},
        FooterCase{"TCP, unreachable, a long name",
                   FooterLink::Tcp,
                   "radio-north-mast.field.example.com",
                   "4000",
                   0,
                   "TCP radio-..:4000  unreachable, retry in 30 s",
                   "",
                   {TcpProgress::Phase::Waiting, LinkError{kErrTcpConnect, 113}, 30'000}},
        FooterCase{"TCP, closed, no reconnect",
                   FooterLink::Tcp,
                   "10.0.0.7",
                   "4000",
                   9000,
                   "TCP 10.0.0.7:4000  closed by the radio",
                   "",
                   {TcpProgress::Phase::Ended, LinkError{kErrTcpPeerClosed, 0}, 0}},
        FooterCase{"UDP, the port bound", FooterLink::Udp, "", "", 0, "UDP 4242  Opened", ""},
        FooterCase{"UDP, the demo radio", FooterLink::UdpDemo, "", "", 4000,
                   "UDP 4242  Opened  (demo radio)", "  no data 4 s"}));

// A red REC near the line's right end while recording, blanks after it
// stops; the link's text never reaches it.
TEST(Footer, MarksARecording) {
  TestApp t;
  t.app.Link.NetLinkMode = NetLink::Tcp;
  t.app.Link.UdpAddress = "radio-north-mast.field.example.com";
  t.app.Link.UdpPort = "4000";
  t.app.Link.Tcp = kRefusedRetryIn8s;
  TempFolder folder;
  ASSERT_EQ(StartRecording(t.app, folder.File("r.cap")), std::nullopt);
  t.Repaint();
  const DrawOp* mark = t.canvas.TextAt(536, 460);
  ASSERT_NE(mark, nullptr);
  EXPECT_EQ(mark->text, "REC ");
  EXPECT_EQ(mark->colour, (Rgb{208, 0, 0}));
  EXPECT_LE(t.canvas.TextAt(536, 0)->text.size(), 46U);
  ASSERT_EQ(StopRecording(t.app), std::nullopt);
  t.canvas.Clear();
  t.Tick();
  ASSERT_NE(t.canvas.TextAt(536, 460), nullptr);
  EXPECT_EQ(t.canvas.TextAt(536, 460)->text, "    ");
}

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
  CountLinkEvent(t.app, 10061, 3);
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
