#include "sim/udp_sink.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ptpdiag::sim {

std::unique_ptr<UdpSink> UdpSink::Open(const UdpOutput& output, std::string& error) {
  UniqueFd fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  const sockaddr_in address = SocketAddress(output.To);
  // Connected, so a refusal by the receiving host shows up as a send error.
  if (!fd.Valid() ||
      ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    error = "cannot send to " + HostPortText(output.To) + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<UdpSink>(new UdpSink(std::move(fd), output));
}

UdpSink::UdpSink(UniqueFd fd, const UdpOutput& output)
    : fd_(std::move(fd)), output_(output), cuts_(DeriveSeed(output.SplitSeed, 7)) {
  output_.FramesPerDatagram = std::max(output_.FramesPerDatagram, 1);
}

WriteCounts UdpSink::Write(std::span<const std::uint8_t> bytes) {
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
  if (++pendingHops_ < output_.FramesPerDatagram) return {};
  return SendPending();
}

WriteCounts UdpSink::Flush() {
  return SendPending();
}

WriteCounts UdpSink::SendPending() {
  const std::span<const std::uint8_t> all(pending_);
  WriteCounts counts;
  if (output_.Split && all.size() >= 2) {
    const std::size_t cut =
        1 + static_cast<std::size_t>(cuts_.Below(static_cast<int>(all.size() - 1)));
    const WriteCounts first = Send(all.first(cut));
    const WriteCounts second = Send(all.subspan(cut));
    counts = {first.Sent + second.Sent, first.Dropped + second.Dropped};
  } else if (!all.empty()) {
    counts = Send(all);
  }
  pending_.clear();
  pendingHops_ = 0;
  return counts;
}

WriteCounts UdpSink::Send(std::span<const std::uint8_t> datagram) {
  const auto size = static_cast<std::int64_t>(datagram.size());
  ssize_t n = -1;
  do {
    n = ::send(fd_.Get(), datagram.data(), datagram.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  return n == size ? WriteCounts{size, 0} : WriteCounts{0, size};
}

}  // namespace ptpdiag::sim
