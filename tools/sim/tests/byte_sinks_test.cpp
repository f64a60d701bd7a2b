#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <numeric>

#include "fd_sink.h"
#include "live_test_support.h"
#include "pty_master.h"

namespace ptpdiag::sim {
namespace {

using test::Bytes;

// Writes `hops` nine-byte hops and adds up what the sink reports.
WriteCounts WriteHops(ByteSink& sink, int hops) {
  const Bytes hop(9, 0xA5);
  WriteCounts total;
  for (int i = 0; i < hops; ++i) {
    const WriteCounts counts = sink.Write(hop);
    total.Sent += counts.Sent;
    total.Dropped += counts.Dropped;
  }
  return total;
}

TEST(FdSinkTest, PtySlaveIsRawSoEveryByteValuePassesUnchanged) {
  std::string error;
  const std::optional<PtyMaster> pty = PtyMaster::Open(error);
  ASSERT_TRUE(pty) << error;
  const UniqueFd slave(::open(pty->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  ASSERT_TRUE(slave.Valid());
  Bytes all(256);
  std::iota(all.begin(), all.end(), 0);  // CR, XON/XOFF, ^C, DEL, ...
  FdSink sink(pty->Fd());
  EXPECT_EQ(sink.Write(all).Sent, 256);
  EXPECT_EQ(test::ReadBytes(slave.Get(), 257, 500), all);
  // No echo back to the master either.
  EXPECT_TRUE(test::ReadBytes(pty->Fd(), 1, 0).empty());
}

TEST(FdSinkTest, PtyWithNobodyReadingDropsInsteadOfBlocking) {
  std::string error;
  const std::optional<PtyMaster> pty = PtyMaster::Open(error);
  ASSERT_TRUE(pty) << error;
  FdSink sink(pty->Fd());
  const WriteCounts never = WriteHops(sink, 20'000);  // 180 kB, more than a pty holds
  EXPECT_GT(never.Sent, 0);
  EXPECT_GT(never.Dropped, 0);
  EXPECT_EQ(never.Sent + never.Dropped, 180'000);

  // A reader that came and went leaves the master in another state.
  ::close(::open(pty->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  const WriteCounts gone = WriteHops(sink, 1000);
  EXPECT_EQ(gone.Sent + gone.Dropped, 9000);
}

TEST(FdSinkTest, SocketWhosePeerLeftCountsDropsWithoutSigpipe) {
  int pair[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
  const UniqueFd ours(pair[0]);
  FdSink sink(ours.Get());
  ::close(pair[1]);
  const WriteCounts counts = WriteHops(sink, 10);  // SIGPIPE would end the test binary
  EXPECT_EQ(counts.Sent, 0);
  EXPECT_EQ(counts.Dropped, 90);
}

}  // namespace
}  // namespace ptpdiag::sim
