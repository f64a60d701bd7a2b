#include "shell/link_commands.h"

#include <gtest/gtest.h>

#include <string>

#include "link/net_link.h"
#include "link/serial_link.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::TestApp;

enum class Open { Nothing, Serial, Tcp, Udp };

std::string Name(Open open) {
  switch (open) {
    case Open::Nothing:
      return "nothing";
    case Open::Serial:
      return "serial";
    case Open::Tcp:
      return "tcp";
    case Open::Udp:
      return "udp";
  }
  return "?";
}

// The link state as the commands leave it, checked against what is really
// running: a thread exactly when serial or TCP is open, a watched socket
// exactly when UDP is.
Open OpenLink(const TestApp& t) {
  const LinkState& link = t.app.Link;
  const bool serial = link.CommOpen == 1;
  const bool tcp = link.NetLinkMode == NetLink::Tcp;
  const bool udp = link.NetLinkMode == NetLink::Udp;
  EXPECT_LE(int(serial) + int(tcp) + int(udp), 1);
  EXPECT_EQ(serial, link.CommHandle != nullptr);
  EXPECT_EQ(tcp, link.TcpSocket != nullptr);
  EXPECT_EQ(udp, link.UdpChannel != nullptr);
  EXPECT_EQ(serial || tcp, link.LinkThreadHandle.joinable());
  EXPECT_EQ(udp ? 1U : 0U, t.window.WatchedCount());
  if (serial) return Open::Serial;
  if (tcp) return Open::Tcp;
  if (udp) return Open::Udp;
  return Open::Nothing;
}

void Command(TestApp& t, std::uint16_t id) {
  t.window.Send(WM_COMMAND, id, 0);
}

void Reach(TestApp& t, Open open) {
  t.app.Link.UdpAddress = "radio.example";
  t.app.Link.UdpPort = "4000";
  if (open == Open::Serial) Command(t, IDM_OPEN_COMM);
  if (open == Open::Tcp) Command(t, IDM_CONNECT_TCP);
  if (open == Open::Udp) Command(t, IDM_OPEN_UDP);
  ASSERT_EQ(OpenLink(t), open);
}

struct TableRow {
  Open from;
  int command;  // 119 chooses "Com2"
  Open to;
};

class LinkStateTable : public testing::TestWithParam<TableRow> {};

TEST_P(LinkStateTable, CommandLeavesTheTabledLink) {
  const TableRow& row = GetParam();
  TestApp t;
  Reach(t, row.from);
  if (row.command == IDM_CHG_COMM_PORT) {
    ChangeCommPort(t.app, "Com2");
    EXPECT_EQ(t.app.Link.CommPortName, "Com2");
  } else {
    Command(t, static_cast<std::uint16_t>(row.command));
  }
  EXPECT_EQ(Name(OpenLink(t)), Name(row.to));
  EXPECT_TRUE(t.window.MessageBoxes().empty());
}

constexpr Open N = Open::Nothing, S = Open::Serial, T = Open::Tcp, U = Open::Udp;

INSTANTIATE_TEST_SUITE_P(
    FromEachState, LinkStateTable,
    testing::Values(TableRow{N, 121, S}, TableRow{N, 120, N}, TableRow{N, 130, T},
                    TableRow{N, 150, U}, TableRow{N, 131, N}, TableRow{N, 119, N},
                    TableRow{S, 121, S}, TableRow{S, 120, N}, TableRow{S, 130, T},
                    TableRow{S, 150, U}, TableRow{S, 131, S}, TableRow{S, 119, N},
                    TableRow{T, 121, S}, TableRow{T, 120, T}, TableRow{T, 130, T},
                    TableRow{T, 150, U}, TableRow{T, 131, N}, TableRow{T, 119, T},
                    TableRow{U, 121, S}, TableRow{U, 120, U}, TableRow{U, 130, T},
                    TableRow{U, 150, U}, TableRow{U, 131, N}, TableRow{U, 119, U}));

TEST(LinkCommands, ReopeningAnOpenLinkOnlyRepaints) {
  for (const Open open : {S, T, U}) {
    TestApp t;
    Reach(t, open);
    const int paints = t.window.PaintCount();
    const std::size_t connects = t.network.Connects.size() + t.network.Binds.size();
    const std::size_t opens = t.serial.Opened.size();
    Command(t, open == S ? IDM_OPEN_COMM : open == T ? IDM_CONNECT_TCP : IDM_OPEN_UDP);
    EXPECT_EQ(t.window.PaintCount(), paints + 1) << Name(open);
    EXPECT_EQ(t.network.Connects.size() + t.network.Binds.size(), connects) << Name(open);
    EXPECT_EQ(t.serial.Opened.size(), opens) << Name(open);
  }
}

TEST(LinkCommands, ResultsFollowTheCommandTable) {
  TestApp t;
  EXPECT_EQ(t.window.Send(WM_COMMAND, IDM_CLOSE_COMM, 0), 0);
  EXPECT_EQ(t.window.Send(WM_COMMAND, IDM_OPEN_COMM, 0), 0);
  EXPECT_EQ(t.window.Send(WM_COMMAND, IDM_CONNECT_TCP, 0), 0);
  EXPECT_EQ(t.window.Send(WM_COMMAND, IDM_OPEN_UDP, 0), 0);
  EXPECT_EQ(t.window.Send(WM_COMMAND, IDM_CLOSE_NETWORK, 0), 0);
}

TEST(LinkCommands, OpenCommOpensThePortNamedAndEmptiesTheRing) {
  TestApp t;
  t.app.Store.LinkRingCount = 7;
  t.app.Store.LinkRingUiPos = 3;
  ChangeCommPort(t.app, "Com5");
  Command(t, IDM_OPEN_COMM);
  ASSERT_EQ(t.serial.Opened, (std::vector<std::string>{"Com5"}));
  EXPECT_EQ(t.app.Store.LinkRingCount.load(), 0);
  EXPECT_EQ(t.app.Store.LinkRingUiPos, 0);
}

TEST(LinkCommands, ChangingThePortWhileOpenClosesItAndDoesNotReopen) {
  TestApp t;
  Reach(t, S);
  ChangeCommPort(t.app, "Com3");
  EXPECT_EQ(t.source.Closes, 1);
  EXPECT_EQ(t.serial.Opened.size(), 1U);
  Command(t, IDM_OPEN_COMM);
  EXPECT_EQ(t.serial.Opened.back(), "Com3");
}

struct OpenFailureCase {
  SerialOpenFailure failure;
  std::string device;
  std::string adviceHas;
};

class SerialOpenFailureTest : public testing::TestWithParam<OpenFailureCase> {};

TEST_P(SerialOpenFailureTest, ShowsTheErrorOnceWithPlainAdvice) {
  const OpenFailureCase& c = GetParam();
  TestApp t;
  t.serial.FailWith = SerialOpenError{c.failure, c.device, "system words"};
  Command(t, IDM_OPEN_COMM);
  EXPECT_EQ(OpenLink(t), N);
  ASSERT_EQ(t.window.MessageBoxes().size(), 1U);
  const MessageBoxRecord& box = t.window.MessageBoxes()[0];
  EXPECT_EQ(box.Text, "Could not open comm port!");
  EXPECT_EQ(box.Caption, "Error!");
  EXPECT_NE(box.Detail.find(c.adviceHas), std::string::npos) << box.Detail;
}

INSTANTIATE_TEST_SUITE_P(
    Failures, SerialOpenFailureTest,
    testing::Values(OpenFailureCase{SerialOpenFailure::PermissionDenied, "/dev/ttyUSB0", "dialout"},
                    OpenFailureCase{SerialOpenFailure::InUse, "/dev/ttyUSB0", "in use"},
                    OpenFailureCase{SerialOpenFailure::NoSuchDevice, "", "known as Com1"},
                    OpenFailureCase{SerialOpenFailure::NoSuchDevice, "/dev/x", "/dev/x does not"},
                    OpenFailureCase{SerialOpenFailure::Other, "/dev/ttyS0", "system words"}));

TEST(LinkCommands, FailedCloseIsShownAndTheLinkCountsAsClosed) {
  TestApp t;
  Reach(t, S);
  t.source.CloseFails = true;
  Command(t, IDM_CLOSE_COMM);
  EXPECT_EQ(OpenLink(t), N);
  ASSERT_EQ(t.window.MessageBoxes().size(), 1U);
  EXPECT_EQ(t.window.MessageBoxes()[0].Text, "Could not close comm port!");
  EXPECT_EQ(t.window.MessageBoxes()[0].Caption, "Error!");
}

TEST(LinkCommands, DestroyClosesTheOpenLinkBeforeQuitting) {
  for (const Open open : {S, T, U}) {
    TestApp t;
    Reach(t, open);
    t.window.Send(WM_CLOSE, 0, 0);
    EXPECT_TRUE(t.window.QuitPosted());
    EXPECT_EQ(OpenLink(t), N) << Name(open);
    if (open == S) {
      EXPECT_EQ(t.source.Closes, 1);
    } else if (open == T) {
      EXPECT_EQ(t.network.TcpCloses, 1);
    } else {
      EXPECT_EQ(t.network.UdpCloses, 1);
    }
  }
}

TEST(LinkCommands, EndingWithoutTheCloseRoutineStillStopsTheThread) {
  // Esc quits without WM_DESTROY: the context's end must join the thread.
  for (const Open open : {S, T}) {
    TestApp t;
    Reach(t, open);
    AbandonLink(t.app);
    EXPECT_FALSE(t.app.Link.LinkThreadHandle.joinable()) << Name(open);
  }
  TestApp t;
  Reach(t, T);  // the destructor at the end of scope must not abort
}

}  // namespace
}  // namespace ptpdiag
