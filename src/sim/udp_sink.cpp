#include "sim/udp_sink.h"

#include <algorithm>

namespace ptpdiag::sim {

std::unique_ptr<UdpSink> UdpSink::Open(Network& network, const UdpOutput& output,
                                       std::string& error) {
  UdpSenderResult opened = network.OpenUdpSender(NumericHost(output.To), output.To.Port);
  if (!opened.Sender) {
    error = "cannot send to " + HostPortText(output.To) + ": " + opened.Error;
    return nullptr;
  }
  return std::unique_ptr<UdpSink>(new UdpSink(std::move(opened.Sender), output));
}

UdpSink::UdpSink(std::unique_ptr<UdpSender> sender, const UdpOutput& output)
    : sender_(std::move(sender)), output_(output), cuts_(DeriveSeed(output.SplitSeed, 7)) {
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
  return sender_->Send(datagram) ? WriteCounts{size, 0} : WriteCounts{0, size};
}

}  // namespace ptpdiag::sim
