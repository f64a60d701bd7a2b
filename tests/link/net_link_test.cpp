#include "link/net_link.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "link/link_events.h"
#include "shell/link_commands.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::Bytes;
using test::MakeFrame;
using test::TestApp;

struct PortCase {
  std::string text;
  std::optional<std::uint16_t> port;
};

class TcpPortNumberTest : public testing::TestWithParam<PortCase> {};

TEST_P(TcpPortNumberTest, ReadsTheLeadingNumber) {
  EXPECT_EQ(TcpPortNumber(GetParam().text), GetParam().port) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TcpPortNumberTest,
    testing::Values(PortCase{"4131", 4131}, PortCase{"  80", 80}, PortCase{"4131abc", 4131},
                    PortCase{"65535", 65535}, PortCase{"65536", std::nullopt},
                    PortCase{"99999999999", std::nullopt}, PortCase{"0", std::nullopt},
                    PortCase{"", std::nullopt}, PortCase{"abc", std::nullopt},
                    PortCase{"-5", std::nullopt}, PortCase{"   ", std::nullopt}));

// Waits until `done` holds, failing after a generous bound.
template <typename Done>
bool Eventually(Done done) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

class TcpLink : public testing::Test {
 protected:
  void Connect(const std::string& address = "10.0.0.9", const std::string& port = "4000") {
    t.app.Link.UdpAddress = address;
    t.app.Link.UdpPort = port;
    t.window.Send(WM_COMMAND, IDM_CONNECT_TCP, 0);
  }
  TestApp t;
};

struct BadTarget {
  std::string address;
  std::string port;
};

class TcpBadTarget : public TcpLink, public testing::WithParamInterface<BadTarget> {};

TEST_P(TcpBadTarget, RecordsOneEventAndStartsNothing) {
  Connect(GetParam().address, GetParam().port);
  EXPECT_EQ(t.app.Store.LinkEventCount, 1);
  EXPECT_EQ(t.app.Store.LinkEventType, kErrTcpNoAddress);
  EXPECT_TRUE(t.network.Connects.empty());
  EXPECT_EQ(t.app.Link.NetLinkMode, NetLink::None);
  EXPECT_FALSE(t.app.Link.LinkThreadHandle.joinable());
}

INSTANTIATE_TEST_SUITE_P(Targets, TcpBadTarget,
                         testing::Values(BadTarget{"", "4000"}, BadTarget{"10.0.0.9", ""},
                                         BadTarget{"10.0.0.9", "port"},
                                         BadTarget{"10.0.0.9", "70000"}));

TEST_F(TcpLink, RefusedConnectGoesOnTheEventLine) {
  t.network.ConnectError = LinkError{kErrTcpConnect, 111};
  Connect();
  EXPECT_EQ(t.network.Connects, (std::vector<std::string>{"10.0.0.9:4000"}));
  EXPECT_EQ(t.app.Store.LinkEventType, kErrTcpConnect);
  EXPECT_EQ(t.app.Store.LinkEventValue, 111);
  EXPECT_EQ(t.app.Link.NetLinkMode, NetLink::None);
  // The command repaints, so the footer shows the event at once.
  EXPECT_NE(t.canvas.FindText("Num=1 Type=43 Value=111"), nullptr);
}

TEST_F(TcpLink, StreamIsReadByThePollCycle) {
  Connect();
  ASSERT_EQ(t.app.Link.NetLinkMode, NetLink::Tcp);
  for (int i = 0; i < 20; ++i) {
    t.network.LastConnection->Push(Bytes(MakeFrame(76 + i, 105, 70, 1, 2, 3, 4)));
  }
  ASSERT_TRUE(Eventually([&] { return t.app.Store.LinkRingCount.load() == 180; }));
  t.Tick();
  EXPECT_EQ(t.app.Store.PeriodFrames, 20);
  EXPECT_EQ(t.app.Store.LinkRingCount.load(), 0);
}

TEST_F(TcpLink, ThreadPausesWhileTheRingIsNearlyFull) {
  Connect();
  t.network.LastConnection->Push(std::vector<std::uint8_t>(kTcpRingHighWater + 2000, 0x55));
  ASSERT_TRUE(Eventually([&] { return t.app.Store.LinkRingCount.load() >= kTcpRingHighWater; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(t.app.Store.LinkRingCount.load(), kTcpRingHighWater);
  EXPECT_EQ(t.network.LastConnection->Pending(), 2000U);
  // Draining below the mark lets it go on.
  for (int i = 0; i < 100; ++i)
    TakeFromRing(t.app.Store);
  ASSERT_TRUE(Eventually([&] { return t.network.LastConnection->Pending() == 1900U; }));
}

TEST_F(TcpLink, PeerClosingIsReportedOnceAndTheLinkStaysUntilClosed) {
  Connect();
  t.network.LastConnection->EndStream();
  ASSERT_TRUE(Eventually([&] {
    t.Tick();
    return t.app.Store.LinkEventCount == 1;
  }));
  for (int i = 0; i < 4; ++i)
    t.Tick();
  EXPECT_EQ(t.app.Store.LinkEventCount, 1);
  EXPECT_EQ(t.app.Store.LinkEventType, kErrTcpPeerClosed);
  EXPECT_EQ(t.app.Link.NetLinkMode, NetLink::Tcp);
  t.window.Send(WM_COMMAND, IDM_CLOSE_NETWORK, 0);
  EXPECT_EQ(t.app.Link.NetLinkMode, NetLink::None);
}

TEST_F(TcpLink, CloseJoinsTheThreadBeforeClosingTheSocket) {
  Connect();
  test::FakeTcpConnection* connection = t.network.LastConnection;
  connection->CloseError = LinkError{kErrTcpClose, 9};
  const auto start = std::chrono::steady_clock::now();
  t.window.Send(WM_COMMAND, IDM_CLOSE_NETWORK, 0);
  // Woken rather than waiting out its one-second receive.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  EXPECT_FALSE(t.app.Link.LinkThreadHandle.joinable());
  EXPECT_EQ(t.app.Store.LinkEventType, kErrTcpClose);
  EXPECT_EQ(t.app.Store.LinkEventValue, 9);
}

class UdpLink : public testing::Test {
 protected:
  void Open() {
    t.window.Send(WM_COMMAND, IDM_OPEN_UDP, 0);
    ASSERT_EQ(t.app.Link.NetLinkMode, NetLink::Udp);
    socket = t.network.LastSocket;
  }
  void Arrive(const std::vector<std::uint8_t>& bytes) {
    socket->Waiting.push_back({bytes, true, std::nullopt});
    EXPECT_EQ(t.window.Send(WM_NETWORK_NOTIFY, test::FakeUdpSocket::kHandle, 1), 0);
  }
  TestApp t;
  test::FakeUdpSocket* socket = nullptr;
};

TEST_F(UdpLink, ListensOnItsPortAndAsksForMessage961) {
  Open();
  EXPECT_EQ(t.network.Binds, (std::vector<std::uint16_t>{4131}));
  EXPECT_EQ(t.window.WatchedMessage(test::FakeUdpSocket::kHandle), 961U);
}

TEST_F(UdpLink, PortInUseGoesOnTheEventLineAndNothingListens) {
  t.network.BindError = LinkError{kErrUdpBind, 98};
  t.window.Send(WM_COMMAND, IDM_OPEN_UDP, 0);
  EXPECT_EQ(t.app.Link.NetLinkMode, NetLink::None);
  EXPECT_EQ(t.window.WatchedCount(), 0U);
  EXPECT_EQ(t.app.Store.LinkEventType, kErrUdpBind);
  EXPECT_EQ(t.app.Store.LinkEventValue, 98);
}

TEST_F(UdpLink, FrameSplitAcrossDatagramsIsReadWhole) {
  Open();
  const auto frame = Bytes(MakeFrame(90, 105, 70, 1, 2, 3, 4));
  const auto second = Bytes(MakeFrame(91, 105, 70, 1, 2, 3, 4));
  Arrive({frame.begin(), frame.begin() + 4});
  Arrive({frame.begin() + 4, frame.end()});
  Arrive(second);
  t.Tick();
  EXPECT_EQ(t.app.Store.PeriodFrames, 2);
  EXPECT_EQ(t.app.Store.LinkEventCount, 0);
}

TEST_F(UdpLink, DatagramBiggerThanTheFreeSpaceIsDroppedWhole) {
  Open();
  Arrive(std::vector<std::uint8_t>(kRingSize - 24, 0xF0));
  Arrive(std::vector<std::uint8_t>(100, 0x11));
  EXPECT_EQ(t.app.Store.LinkRingCount.load(), kRingSize - 24);
  EXPECT_EQ(t.app.Store.LinkEventType, kErrRingOverflow);
  EXPECT_EQ(t.app.Store.LinkEventValue, 100);
  Arrive(std::vector<std::uint8_t>(24, 0x22));  // exactly the room left
  EXPECT_EQ(t.app.Store.LinkRingCount.load(), kRingSize);
  EXPECT_EQ(t.app.Store.LinkEventCount, 1);
  for (int i = 0; i < kRingSize - 24; ++i)
    TakeFromRing(t.app.Store);
  EXPECT_EQ(TakeFromRing(t.app.Store), 0x22);
}

// A flood fills the queue between ticks; whole datagrams only get in, so
// every frame that gets in decodes, and decoding goes on at the queue's pace.
TEST_F(UdpLink, AFloodOfOneFrameDatagramsKeepsTheFramesInStep) {
  Open();
  int sent = 0;
  for (int tick = 0; tick < 8; ++tick) {
    for (int i = 0; i < 1000; ++i, ++sent)
      Arrive(Bytes(MakeFrame(76 + sent % 112, 105, 70, 1, 2, 3, 4)));
    t.Tick();
  }
  // 910 nine-byte frames fit in the ring; all of them decode.
  EXPECT_EQ(t.app.Store.PeriodFrames + 0, 8 * (kRingSize / 9));
  EXPECT_EQ(t.app.Store.LinkEventType, kErrRingOverflow);
  EXPECT_EQ(t.app.Store.LinkEventValue, 9);
  // The flood ends: the next datagrams all decode.
  const std::int16_t before = t.app.Store.PeriodFrames;
  for (int i = 0; i < 12; ++i)
    Arrive(Bytes(MakeFrame(80, 105, 70, 1, 2, 3, 4)));
  t.Tick();
  EXPECT_EQ(t.app.Store.PeriodFrames - before, 12);
}

TEST_F(UdpLink, NotificationWithNothingWaitingChangesNothing) {
  Open();
  t.window.Send(WM_NETWORK_NOTIFY, test::FakeUdpSocket::kHandle, 1);
  EXPECT_EQ(t.app.Store.LinkRingCount.load(), 0);
  EXPECT_EQ(t.app.Store.LinkEventCount, 0);
}

TEST_F(UdpLink, ReceiveErrorIsALinkEvent) {
  Open();
  socket->Waiting.push_back({{}, false, LinkError{kErrUdpReceive, 104}});
  t.window.Send(WM_NETWORK_NOTIFY, test::FakeUdpSocket::kHandle, 1);
  EXPECT_EQ(t.app.Store.LinkEventType, kErrUdpReceive);
  EXPECT_EQ(t.app.Store.LinkEventValue, 104);
}

TEST_F(UdpLink, CloseEndsTheWatchAndTheSocket) {
  Open();
  t.window.Send(WM_COMMAND, IDM_CLOSE_NETWORK, 0);
  EXPECT_EQ(t.window.WatchedCount(), 0U);
  EXPECT_EQ(t.network.UdpCloses, 1);
  // A late notification for the closed socket is harmless.
  EXPECT_EQ(t.window.Send(WM_NETWORK_NOTIFY, test::FakeUdpSocket::kHandle, 1), 0);
}

// The TCP thread fills the ring while the poll cycle drains it: every byte
// arrives once, in order. Run under ThreadSanitizer too.
TEST(RingUnderLoad, ProducerAndPollCycleLoseAndReorderNothing) {
  DiagnosticsStore s;
  constexpr int kBytes = 200000;
  std::thread producer([&s] {
    for (int i = 0; i < kBytes;) {
      const auto byte = static_cast<std::uint8_t>(i * 7);
      if (AppendToRing(s, std::span<const std::uint8_t>(&byte, 1)) == 0) {
        ++i;
      } else {
        std::this_thread::yield();
      }
    }
  });
  int taken = 0;
  bool inOrder = true;
  while (taken < kBytes) {
    const int byte = TakeFromRing(s);
    if (byte < 0) {
      std::this_thread::yield();
      continue;
    }
    inOrder = inOrder && byte == static_cast<std::uint8_t>(taken * 7);
    ++taken;
  }
  producer.join();
  EXPECT_TRUE(inOrder);
  EXPECT_EQ(s.LinkRingCount.load(), 0);
}

}  // namespace
}  // namespace ptpdiag
