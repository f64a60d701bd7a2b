// Winsock on loopback: the receiving ends the links use and the sending
// ends the simulated radio uses, talking to each other.
#include "platform/win32/winsock_network.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/win32/windows_api.h"

namespace ptpdiag {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Polls `done` up to `limit`, for what arrives through the system's buffers.
template <typename Done>
bool Within(std::chrono::milliseconds limit, Done done) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

TEST(Winsock, UdpCarriesDatagramsWholeAndInOrder) {
  WinsockNetwork network;
  UdpBindResult bound = network.BindUdp(0);
  ASSERT_TRUE(bound.Socket);
  const std::uint16_t port = bound.Socket->LocalPort();
  ASSERT_NE(port, 0);
  UdpSenderResult sender = network.OpenUdpSender("127.0.0.1", port);
  ASSERT_TRUE(sender.Sender) << sender.Error;
  const Bytes first = {0xF0, 1, 2, 3};
  const Bytes second(9000, 0x5A);
  EXPECT_TRUE(sender.Sender->Send(first));
  EXPECT_TRUE(sender.Sender->Send(second));
  std::vector<Bytes> got;
  ASSERT_TRUE(Within(2000ms, [&] {
    const Datagram d = bound.Socket->Receive();
    EXPECT_FALSE(d.Error);
    if (d.Received) got.push_back(d.Bytes);
    return got.size() == 2;
  }));
  EXPECT_EQ(got[0], first);
  EXPECT_EQ(got[1], second);
  EXPECT_FALSE(bound.Socket->Receive().Received);  // never waits
  bound.Socket->Close();
  EXPECT_EQ(bound.Socket->LocalPort(), 0);
  EXPECT_TRUE(bound.Socket->Receive().Error);
}

TEST(Winsock, APortInUseIsLinkEvent51WithTheSystemsCode) {
  WinsockNetwork network;
  UdpBindResult first = network.BindUdp(0);
  ASSERT_TRUE(first.Socket);
  const UdpBindResult second = network.BindUdp(first.Socket->LocalPort());
  ASSERT_FALSE(second.Socket);
  ASSERT_TRUE(second.Error);
  EXPECT_EQ(second.Error->Code, kErrUdpBind);
  EXPECT_EQ(second.Error->Extended, WSAEADDRINUSE);
  EXPECT_FALSE(network.ErrorText(second.Error->Extended).empty());
}

TEST(Winsock, TcpHandsOnBytesOneAtATimeThenSaysClosed) {
  WinsockNetwork network;
  TcpListenResult listening = network.ListenTcp("127.0.0.1", 0);
  ASSERT_TRUE(listening.Listener) << listening.Error;
  TcpConnectResult connected =
      network.ConnectTcp("127.0.0.1", listening.Listener->LocalPort(), 3000);
  ASSERT_TRUE(connected.Connection);
  std::unique_ptr<TcpStream> server;
  ASSERT_TRUE(Within(2000ms, [&] { return (server = listening.Listener->Accept()) != nullptr; }));
  const Bytes sent = {0xF0, 0x64, 0x5F};
  EXPECT_EQ(server->WriteNoWait(sent), 3);
  Bytes got;
  while (got.size() < sent.size()) {
    const TcpReceive r = connected.Connection->ReceiveByte(1000);
    ASSERT_EQ(r.Result, TcpReceive::Status::Byte);
    got.push_back(r.Value);
  }
  EXPECT_EQ(got, sent);
  server.reset();  // the radio hangs up
  TcpReceive last;
  ASSERT_TRUE(Within(3000ms, [&] {
    last = connected.Connection->ReceiveByte(100);
    return last.Result != TcpReceive::Status::Nothing;
  }));
  EXPECT_EQ(last.Result, TcpReceive::Status::Closed);
  EXPECT_EQ(connected.Connection->ReceiveByte(0).Result, TcpReceive::Status::Closed);
  EXPECT_FALSE(connected.Connection->Close());
}

TEST(Winsock, WakeEndsAWaitingReceiveAtOnce) {
  WinsockNetwork network;
  TcpListenResult listening = network.ListenTcp("127.0.0.1", 0);
  ASSERT_TRUE(listening.Listener);
  TcpConnectResult connected =
      network.ConnectTcp("127.0.0.1", listening.Listener->LocalPort(), 3000);
  ASSERT_TRUE(connected.Connection);
  std::thread waker([&] {
    std::this_thread::sleep_for(100ms);
    connected.Connection->Wake();
  });
  const auto start = std::chrono::steady_clock::now();
  const TcpReceive r = connected.Connection->ReceiveByte(10'000);
  const auto waited = std::chrono::steady_clock::now() - start;
  waker.join();
  EXPECT_EQ(r.Result, TcpReceive::Status::Nothing);
  EXPECT_LT(waited, 5s) << "the wake-up did not end the wait";
}

TEST(Winsock, ConnectFailuresAreTheirLinkEvents) {
  WinsockNetwork network;
  // A port that was free a moment ago: nobody listens there.
  std::uint16_t closedPort = 0;
  {
    TcpListenResult probe = network.ListenTcp("127.0.0.1", 0);
    ASSERT_TRUE(probe.Listener);
    closedPort = probe.Listener->LocalPort();
  }
  const TcpConnectResult refused = network.ConnectTcp("127.0.0.1", closedPort, 3000);
  ASSERT_TRUE(refused.Error);
  EXPECT_TRUE(refused.Error->Code == kErrTcpConnect || refused.Error->Code == kErrTcpTimeout)
      << refused.Error->Code;
  const TcpConnectResult unknown = network.ConnectTcp("no-such-host.invalid", 4000, 3000);
  ASSERT_TRUE(unknown.Error);
  EXPECT_EQ(unknown.Error->Code, kErrTcpResolve);
}

TEST(Winsock, ListenersAreExclusive) {
  WinsockNetwork network;
  TcpListenResult first = network.ListenTcp("127.0.0.1", 0);
  ASSERT_TRUE(first.Listener);
  const TcpListenResult second = network.ListenTcp("127.0.0.1", first.Listener->LocalPort());
  EXPECT_FALSE(second.Listener);
  EXPECT_FALSE(second.Error.empty());
  EXPECT_FALSE(network.OpenUdpSender("not an address", 1).Sender);
}

TEST(Winsock, AStreamWhosePeerLeftSaysSo) {
  WinsockNetwork network;
  TcpListenResult listening = network.ListenTcp("127.0.0.1", 0);
  ASSERT_TRUE(listening.Listener);
  EXPECT_EQ(listening.Listener->Accept(), nullptr);  // nobody yet; never waits
  TcpConnectResult connected =
      network.ConnectTcp("127.0.0.1", listening.Listener->LocalPort(), 3000);
  ASSERT_TRUE(connected.Connection);
  std::unique_ptr<TcpStream> server;
  ASSERT_TRUE(Within(2000ms, [&] { return (server = listening.Listener->Accept()) != nullptr; }));
  EXPECT_FALSE(server->PeerGone());
  connected.Connection->Close();
  EXPECT_TRUE(Within(2000ms, [&] { return server->PeerGone(); }));
}

}  // namespace
}  // namespace ptpdiag
