// The simulator's network outputs over the platform's sockets, with fakes:
// what reaches the wire, and what counts as dropped.
#include <gtest/gtest.h>

#include <numeric>

#include "platform/host_port.h"
#include "sim/tcp_client_sink.h"
#include "sim/udp_sink.h"
#include "support/fake_links.h"

namespace ptpdiag::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Hop(std::uint8_t first) {
  Bytes hop(9);
  std::iota(hop.begin(), hop.end(), first);
  return hop;
}

std::unique_ptr<UdpSink> OpenSink(test::FakeNetwork& network, int framesPerDatagram, bool split) {
  std::string error;
  auto sink = UdpSink::Open(network, {{"127.0.0.1", 4131}, framesPerDatagram, split, 5}, error);
  EXPECT_TRUE(sink) << error;
  return sink;
}

TEST(UdpSinkTest, GroupsHopsIntoDatagramsAndFlushesTheRest) {
  test::FakeNetwork network;
  auto sink = OpenSink(network, 3, false);
  WriteCounts total;
  for (std::uint8_t i = 0; i < 7; ++i) {
    const WriteCounts counts = sink->Write(Hop(static_cast<std::uint8_t>(10 * i)));
    total.Sent += counts.Sent;
  }
  EXPECT_EQ(network.Udp.Sent.size(), 2U);
  EXPECT_EQ(total.Sent, 54);
  EXPECT_EQ(sink->Flush().Sent, 9);
  ASSERT_EQ(network.Udp.Sent.size(), 3U);
  EXPECT_EQ(network.Udp.Sent[0].size(), 27U);
  EXPECT_EQ(network.Udp.Sent[2], Hop(60));
  EXPECT_EQ(sink->Flush().Sent, 0);  // nothing left to send
}

TEST(UdpSinkTest, SplitCutsEachDatagramInTwoKeepingTheBytes) {
  test::FakeNetwork network;
  auto sink = OpenSink(network, 2, true);
  Bytes offered;
  for (std::uint8_t i = 0; i < 20; ++i) {
    const Bytes hop = Hop(static_cast<std::uint8_t>(i * 9));
    offered.insert(offered.end(), hop.begin(), hop.end());
    sink->Write(hop);
  }
  ASSERT_EQ(network.Udp.Sent.size(), 20U);
  Bytes received;
  for (const Bytes& datagram : network.Udp.Sent) {
    EXPECT_FALSE(datagram.empty());
    received.insert(received.end(), datagram.begin(), datagram.end());
  }
  EXPECT_EQ(received, offered);
}

TEST(UdpSinkTest, RefusedDatagramsCountAsDropped) {
  test::FakeNetwork network;
  auto sink = OpenSink(network, 1, false);
  network.Udp.Refusing = true;
  const WriteCounts counts = sink->Write(Hop(1));
  EXPECT_EQ(counts.Sent, 0);
  EXPECT_EQ(counts.Dropped, 9);
  EXPECT_TRUE(network.Udp.Sent.empty());
}

TEST(TcpClientSinkTest, DropsWithoutAClientThenServesOneAfterAnother) {
  test::FakeNetwork network;
  const TcpListenResult listening = network.ListenTcp("127.0.0.1", 0);
  ASSERT_TRUE(listening.Listener);
  TcpClientSink sink(*listening.Listener);
  EXPECT_EQ(sink.Write(Hop(0)).Dropped, 9);  // nobody connected yet

  test::FakeTcpClient first;
  test::FakeTcpClient second;
  network.Clients = {&first, &second};
  EXPECT_EQ(sink.Write(Hop(1)).Sent, 9);
  first.Room = 4;  // the client's window is nearly full
  const WriteCounts part = sink.Write(Hop(2));
  EXPECT_EQ(part.Sent, 4);
  EXPECT_EQ(part.Dropped, 5);
  first.Gone = true;
  EXPECT_EQ(sink.Write(Hop(3)).Sent, 9);  // the next client takes over at once
  EXPECT_EQ(first.Received.size(), 13U);
  EXPECT_EQ(second.Received, Hop(3));
}

struct AddressCase {
  const char* Text;
  std::optional<HostPort> Expected;
};

class ParseHostPortTest : public testing::TestWithParam<AddressCase> {};

TEST_P(ParseHostPortTest, TakesDottedQuadsAndLocalhostOnly) {
  EXPECT_EQ(ParseHostPort(GetParam().Text), GetParam().Expected) << GetParam().Text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseHostPortTest,
    testing::Values(
        AddressCase{"127.0.0.1:4131", HostPort{"127.0.0.1", 4131}},
        AddressCase{"255.255.255.255:65535", HostPort{"255.255.255.255", 65535}},
        AddressCase{"0.0.0.0:1", HostPort{"0.0.0.0", 1}},
        AddressCase{"localhost:80", HostPort{"localhost", 80}},
        AddressCase{"256.1.1.1:80", std::nullopt}, AddressCase{"01.2.3.4:80", std::nullopt},
        AddressCase{"1.2.3:80", std::nullopt}, AddressCase{"1.2.3.4.5:80", std::nullopt},
        AddressCase{"1..3.4:80", std::nullopt}, AddressCase{"1.2.3.4.:80", std::nullopt},
        AddressCase{"-1.2.3.4:80", std::nullopt}, AddressCase{"radio.example:80", std::nullopt},
        AddressCase{"1.2.3.4:0", std::nullopt}, AddressCase{"1.2.3.4:65536", std::nullopt},
        AddressCase{"1.2.3.4", std::nullopt}, AddressCase{":80", std::nullopt},
        AddressCase{"", std::nullopt}));

TEST(ParseListenAddressTest, HostDefaultsToLoopbackAndPortMayBeZero) {
  EXPECT_EQ(ParseListenAddress("0"), (HostPort{"127.0.0.1", 0}));
  EXPECT_EQ(ParseListenAddress("0.0.0.0:4000"), (HostPort{"0.0.0.0", 4000}));
  EXPECT_EQ(ParseListenAddress("x:4000"), std::nullopt);
  EXPECT_EQ(NumericHost({"localhost", 1}), "127.0.0.1");
  EXPECT_EQ(NumericHost({"10.0.0.2", 1}), "10.0.0.2");
}

}  // namespace
}  // namespace ptpdiag::sim
