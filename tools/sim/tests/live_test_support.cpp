#include "live_test_support.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace ptpdiag::sim::test {
namespace {

sockaddr_in Loopback(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

}  // namespace

std::vector<Bytes> ExpectedHops(const GeneratorSettings& settings, std::int64_t hops) {
  FrameGenerator generator(settings);
  std::vector<Bytes> out;
  for (std::int64_t i = 0; i < hops; ++i) {
    out.emplace_back();
    AppendHopBytes(generator.Next(), out.back());
  }
  return out;
}

Bytes Concatenated(const std::vector<Bytes>& parts) {
  Bytes out;
  for (const Bytes& part : parts)
    out.insert(out.end(), part.begin(), part.end());
  return out;
}

std::int64_t StartHop(const std::vector<Bytes>& hops, const Bytes& received) {
  for (std::size_t k = 0; k < hops.size(); ++k) {
    Bytes stream;
    for (std::size_t i = k; i < hops.size() && stream.size() < received.size(); ++i)
      stream.insert(stream.end(), hops[i].begin(), hops[i].end());
    if (stream.size() >= received.size() &&
        std::equal(received.begin(), received.end(), stream.begin()))
      return static_cast<std::int64_t>(k);
  }
  return -1;
}

UdpReceiver::UdpReceiver() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  ::bind(fd_.Get(), reinterpret_cast<const sockaddr*>(&address), length);
  ::getsockname(fd_.Get(), reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
}

Bytes UdpReceiver::Receive(int timeoutMs) {
  pollfd p{fd_.Get(), POLLIN, 0};
  if (::poll(&p, 1, timeoutMs) != 1) return {};
  Bytes datagram(65536);
  const ssize_t n = ::recv(fd_.Get(), datagram.data(), datagram.size(), 0);
  datagram.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return datagram;
}

Bytes ReadBytes(int fd, std::size_t count, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  Bytes out;
  while (out.size() < count) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{fd, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) != 1) break;
    std::uint8_t buffer[4096];
    const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, count - out.size()));
    if (n <= 0) break;
    out.insert(out.end(), buffer, buffer + n);
  }
  return out;
}

UniqueFd ConnectTcp(std::uint16_t port) {
  UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const sockaddr_in address = Loopback(port);
  if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
    return UniqueFd();
  return fd;
}

}  // namespace ptpdiag::sim::test
