// Helpers for the live output tests: loopback receivers that wait with a
// deadline (a broken streamer fails the test instead of hanging it) and the
// byte stream a FrameGenerator makes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/frame_generator.h"
#include "platform/host_port.h"
#include "unique_fd.h"

namespace ptpdiag::sim::test {

using Bytes = std::vector<std::uint8_t>;

// The wire bytes of the first `hops` hops, each hop separately.
std::vector<Bytes> ExpectedHops(const GeneratorSettings& settings, std::int64_t hops);
// The same, concatenated.
Bytes Concatenated(const std::vector<Bytes>& parts);

// The hop whose bytes `received` starts with, when `received` is the
// stream from some hop on; -1 when it is not.
std::int64_t StartHop(const std::vector<Bytes>& hops, const Bytes& received);

// A UDP socket bound to 127.0.0.1 on a free port.
class UdpReceiver {
 public:
  UdpReceiver();
  HostPort Address() const { return {"127.0.0.1", port_}; }
  // The next datagram, waiting up to `timeoutMs`; empty when none came.
  Bytes Receive(int timeoutMs);

 private:
  UniqueFd fd_;
  std::uint16_t port_ = 0;
};

// Reads `fd` until `count` bytes came, or `timeoutMs` passed, or the
// stream ended; returns what came.
Bytes ReadBytes(int fd, std::size_t count, int timeoutMs);

// A TCP connection to 127.0.0.1:`port`; invalid when refused.
UniqueFd ConnectTcp(std::uint16_t port);

}  // namespace ptpdiag::sim::test
