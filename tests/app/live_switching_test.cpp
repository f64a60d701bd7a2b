// The link commands on real sockets while the simulated radio streams:
// UDP, then TCP, then UDP again, then nothing, with frames arriving on each
// link and every thread and socket of the link before it gone.
#include <poll.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "link/reset_statistics.h"
#include "platform/os/posix_network.h"
#include "shell/link_commands.h"
#include "sim/live_streamer.h"
#include "sim/tcp_client_sink.h"
#include "sim/udp_sink.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

// A loopback UDP port that was free a moment ago.
std::uint16_t FreeUdpPort() {
  PosixNetwork network;
  const UdpBindResult bound = network.BindUdp(0);
  return bound.Socket ? bound.Socket->LocalPort() : 0;
}

class LiveSwitching : public testing::Test {
 protected:
  void SetUp() override {
    t.app.Link.Net = &network;
    udpPort = FreeUdpPort();
    ASSERT_NE(udpPort, 0);
    t.app.Link.UdpListenPort = udpPort;
  }

  // The event loop for `ms`: datagrams as message 961, the timer every
  // 250 ms. Returns whether frames were applied in that time.
  bool Run(int ms) {
    ResetStatistics(t.app);
    ResetPeriod(t.app.Store);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    auto nextTick = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() < end) {
      if (std::chrono::steady_clock::now() >= nextTick) {
        t.Tick();
        nextTick += std::chrono::milliseconds(250);
      }
      DeliverDatagrams();
    }
    t.Tick();
    return t.app.Store.PeriodFrames > 0 || t.app.Store.HistIndex > 0;
  }

  void DeliverDatagrams() {
    if (!t.app.Link.UdpChannel) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      return;
    }
    const SocketHandle handle = t.app.Link.UdpChannel->Handle();
    pollfd ready{static_cast<int>(handle), POLLIN, 0};
    if (::poll(&ready, 1, 5) > 0 && t.window.WatchedMessage(handle) != 0) {
      t.window.Send(t.window.WatchedMessage(handle), static_cast<WPARAM>(handle), 1);
    }
  }

  test::TestApp t;
  PosixNetwork network;
  std::uint16_t udpPort = 0;
};

TEST_F(LiveSwitching, EveryLinkDeliversAndTheOneBeforeItEnds) {
  sim::GeneratorSettings settings;
  settings.HopsPerSecond = 100;
  std::string error;
  auto udpSink = sim::UdpSink::Open(network, {{"127.0.0.1", udpPort}}, error);
  ASSERT_TRUE(udpSink) << error;
  sim::LiveStreamer udpRadio(settings, std::move(udpSink));
  const TcpListenResult listening = network.ListenTcp("127.0.0.1", 0);
  ASSERT_TRUE(listening.Listener) << listening.Error;
  sim::LiveStreamer tcpRadio(settings, std::make_unique<sim::TcpClientSink>(*listening.Listener));
  udpRadio.Start();
  tcpRadio.Start();

  t.window.Send(WM_COMMAND, IDM_OPEN_UDP, 0);
  ASSERT_EQ(t.app.Link.NetLinkMode, NetLink::Udp);
  EXPECT_TRUE(Run(1500)) << "no frames over UDP";

  t.app.Link.UdpAddress = "127.0.0.1";
  t.app.Link.UdpPort = std::to_string(listening.Listener->LocalPort());
  t.window.Send(WM_COMMAND, IDM_CONNECT_TCP, 0);
  ASSERT_EQ(t.app.Link.NetLinkMode, NetLink::Tcp) << t.app.Store.LinkEventType;
  EXPECT_EQ(t.window.WatchedCount(), 0U);
  EXPECT_FALSE(t.app.Link.UdpChannel);
  EXPECT_TRUE(Run(1500)) << "no frames over TCP";

  t.window.Send(WM_COMMAND, IDM_OPEN_UDP, 0);
  ASSERT_EQ(t.app.Link.NetLinkMode, NetLink::Udp);
  EXPECT_FALSE(t.app.Link.LinkThreadHandle.joinable());
  EXPECT_FALSE(t.app.Link.TcpSocket);
  EXPECT_TRUE(Run(1500)) << "no frames over UDP after TCP";

  t.window.Send(WM_COMMAND, IDM_CLOSE_NETWORK, 0);
  EXPECT_EQ(t.app.Link.NetLinkMode, NetLink::None);
  EXPECT_FALSE(Run(600)) << "frames with no link open";
  EXPECT_EQ(t.app.Store.LinkEventCount, 0);
}

}  // namespace
}  // namespace ptpdiag
