// A live output of UDP datagrams, the way the radio sends them over a
// network: hops grouped into datagrams, optionally cut in two.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/network.h"
#include "sim/byte_sink.h"
#include "platform/host_port.h"
#include "sim/prng.h"

namespace ptpdiag::sim {

struct UdpOutput {
  HostPort To;
  int FramesPerDatagram = 1;  // hops per datagram, from 1
  // Cut every datagram in two at a random point, so frames straddle
  // datagrams; the cut points follow `SplitSeed`.
  bool Split = false;
  std::uint64_t SplitSeed = 1;
};

class UdpSink : public ByteSink {
 public:
  // Nothing, with `error` saying why, when `network` cannot make a sender.
  static std::unique_ptr<UdpSink> Open(Network& network, const UdpOutput& output,
                                       std::string& error);

  // Sends a datagram once it holds FramesPerDatagram hops. A send the
  // system refuses (nobody listening, full buffer) drops that datagram.
  WriteCounts Write(std::span<const std::uint8_t> bytes) override;
  // Sends the hops of an unfinished datagram.
  WriteCounts Flush() override;

 private:
  UdpSink(std::unique_ptr<UdpSender> sender, const UdpOutput& output);
  WriteCounts SendPending();
  WriteCounts Send(std::span<const std::uint8_t> datagram);

  std::unique_ptr<UdpSender> sender_;
  UdpOutput output_;
  Prng cuts_;
  std::vector<std::uint8_t> pending_;
  int pendingHops_ = 0;
};

}  // namespace ptpdiag::sim
