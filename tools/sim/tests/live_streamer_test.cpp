#include "sim/live_streamer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "fd_sink.h"
#include "live_test_support.h"
#include "platform/os/posix_network.h"
#include "pty_master.h"
#include "sim/tcp_client_sink.h"
#include "sim/udp_sink.h"

namespace ptpdiag::sim {
namespace {

using test::Bytes;
using namespace std::chrono_literals;

// Fast, and with every fault, so hops differ in length and content.
GeneratorSettings Faulty(double hopsPerSecond) {
  GeneratorSettings s;
  s.Seed = 77;
  s.HopsPerSecond = hopsPerSecond;
  s.GarbageFraction = 0.2;
  s.BadCheckFraction = 0.1;
  s.LowChannelFraction = 0.05;
  return s;
}

std::unique_ptr<ByteSink> UdpTo(const HostPort& to, int framesPerDatagram = 1, bool split = false) {
  PosixNetwork network;
  std::string error;
  std::unique_ptr<ByteSink> sink =
      UdpSink::Open(network, {to, framesPerDatagram, split, 77}, error);
  EXPECT_TRUE(sink) << error;
  return sink;
}

std::vector<Bytes> ReceiveAll(test::UdpReceiver& receiver) {
  std::vector<Bytes> datagrams;
  for (Bytes d = receiver.Receive(0); !d.empty(); d = receiver.Receive(0))
    datagrams.push_back(d);
  return datagrams;
}

// 100 hops at 2000 hops/s; the datagrams are all in the receiver's buffer
// once the run is done (loopback delivers during send).
std::vector<Bytes> StreamUdp(int framesPerDatagram, bool split) {
  test::UdpReceiver receiver;
  LiveStreamer streamer(Faulty(2000), UdpTo(receiver.Address(), framesPerDatagram, split), 50);
  EXPECT_FALSE(streamer.SetupError());
  streamer.Start();
  EXPECT_TRUE(streamer.WaitUntilDone(5s));
  EXPECT_EQ(streamer.HopsSent(), 100);
  EXPECT_EQ(streamer.BytesDropped(), 0);
  return ReceiveAll(receiver);
}

TEST(LiveStreamerTest, UdpCarriesEachHopInADatagramExactly) {
  const std::vector<Bytes> datagrams = StreamUdp(1, false);
  EXPECT_EQ(datagrams, test::ExpectedHops(Faulty(2000), 100));
}

TEST(LiveStreamerTest, GroupedAndSplitDatagramsKeepTheByteStream) {
  const Bytes expected = test::Concatenated(test::ExpectedHops(Faulty(2000), 100));
  const std::vector<Bytes> grouped = StreamUdp(7, false);
  EXPECT_EQ(grouped.size(), 15U);  // 14 full, the last one flushed with 2 hops
  EXPECT_EQ(test::Concatenated(grouped), expected);

  const std::vector<Bytes> split = StreamUdp(7, true);
  ASSERT_EQ(split.size(), 30U);
  EXPECT_EQ(test::Concatenated(split), expected);
  bool cutInsideAGroup = false;
  for (std::size_t i = 0; i < grouped.size(); ++i)
    cutInsideAGroup = cutInsideAGroup || split[2 * i].size() != grouped[i].size();
  EXPECT_TRUE(cutInsideAGroup);
  EXPECT_EQ(StreamUdp(7, true), split);  // the cuts follow the seed
}

TEST(LiveStreamerTest, PacesHopsInRealTime) {
  test::UdpReceiver receiver;
  LiveStreamer streamer(Faulty(200), UdpTo(receiver.Address()), 500);
  const auto start = std::chrono::steady_clock::now();
  streamer.Start();
  int received = 0;
  while (!receiver.Receive(2000).empty() && ++received < 50) {
  }
  const auto halfway = std::chrono::steady_clock::now() - start;
  ASSERT_TRUE(streamer.WaitUntilDone(5s));
  const auto whole = std::chrono::steady_clock::now() - start;
  received += static_cast<int>(ReceiveAll(receiver).size());
  EXPECT_EQ(streamer.HopsSent(), 100);
  EXPECT_EQ(received, 100);
  EXPECT_GT(halfway, 200ms);  // hop 49 is due at 245 ms
  EXPECT_GT(whole, 450ms);    // hop 99 at 495 ms
  EXPECT_LT(whole, 3s);
}

TEST(LiveStreamerTest, StopIsPromptAndIdempotent) {
  test::UdpReceiver receiver;
  LiveStreamer never(Faulty(0.1), UdpTo(receiver.Address()));
  never.Stop();  // before Start: Start then does nothing
  never.Start();
  EXPECT_FALSE(never.WaitUntilDone(0ms));

  // Hop 0 goes at once, hop 1 not for ten seconds.
  LiveStreamer streamer(Faulty(0.1), UdpTo(receiver.Address()));
  streamer.Start();
  ASSERT_FALSE(receiver.Receive(2000).empty());
  // Stop must wake a sleeping thread; it gives no sign of sleeping, so
  // give it the time to fall asleep.
  std::this_thread::sleep_for(20ms);
  const auto start = std::chrono::steady_clock::now();
  streamer.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  streamer.Stop();
  EXPECT_EQ(streamer.HopsSent(), 1);
}

TEST(LiveStreamerTest, BadSettingsSayWhyAndNeverRun) {
  GeneratorSettings bad;
  bad.MissFraction = 2.0;
  LiveStreamer streamer(bad, UdpTo({"127.0.0.1", 9}));
  EXPECT_TRUE(streamer.SetupError());
  streamer.Start();
  EXPECT_FALSE(streamer.WaitUntilDone(0ms));
  EXPECT_EQ(streamer.HopsSent(), 0);
}

TEST(LiveStreamerTest, PtySlaveReadsTheByteStream) {
  std::string error;
  const std::optional<PtyMaster> pty = PtyMaster::Open(error);
  ASSERT_TRUE(pty) << error;
  EXPECT_TRUE(pty->SlavePath().starts_with("/dev/pts/"));
  const UniqueFd slave(::open(pty->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  ASSERT_TRUE(slave.Valid());
  LiveStreamer streamer(Faulty(2000), std::make_unique<FdSink>(pty->Fd()), 100);
  streamer.Start();
  const Bytes expected = test::Concatenated(test::ExpectedHops(Faulty(2000), 200));
  EXPECT_EQ(test::ReadBytes(slave.Get(), expected.size(), 3000), expected);
  ASSERT_TRUE(streamer.WaitUntilDone(3s));
  EXPECT_TRUE(test::ReadBytes(slave.Get(), 1, 0).empty());  // nothing more, nothing echoed
  EXPECT_EQ(streamer.BytesDropped(), 0);
}

TEST(LiveStreamerTest, TcpServesOneClientAfterAnother) {
  PosixNetwork network;
  const TcpListenResult listening = network.ListenTcp("127.0.0.1", 0);
  ASSERT_TRUE(listening.Listener) << listening.Error;
  const std::uint16_t port = listening.Listener->LocalPort();
  ASSERT_NE(port, 0);
  const std::vector<Bytes> hops = test::ExpectedHops(Faulty(1000), 20'000);
  LiveStreamer streamer(Faulty(1000), std::make_unique<TcpClientSink>(*listening.Listener));
  streamer.Start();

  UniqueFd first = test::ConnectTcp(port);
  ASSERT_TRUE(first.Valid());
  const Bytes firstBytes = test::ReadBytes(first.Get(), 200, 3000);
  ASSERT_EQ(firstBytes.size(), 200U);
  const std::int64_t firstHop = test::StartHop(hops, firstBytes);
  ASSERT_GE(firstHop, 0);
  first.Reset();

  const UniqueFd second = test::ConnectTcp(port);
  ASSERT_TRUE(second.Valid());
  const Bytes secondBytes = test::ReadBytes(second.Get(), 200, 3000);
  ASSERT_EQ(secondBytes.size(), 200U);
  EXPECT_GT(test::StartHop(hops, secondBytes), firstHop + 10);  // 200 bytes hold over 10 hops
  streamer.Stop();
}

}  // namespace
}  // namespace ptpdiag::sim
