#include "sim/tcp_client_sink.h"

namespace ptpdiag::sim {

WriteCounts TcpClientSink::Write(std::span<const std::uint8_t> bytes) {
  const auto size = static_cast<std::int64_t>(bytes.size());
  // Whatever the client sends is read and dropped, so its end of stream is
  // seen before the next write.
  if (client_ && client_->PeerGone()) client_.reset();
  if (!client_) client_ = listener_.Accept();
  if (!client_) return {0, size};
  const std::int64_t written = client_->WriteNoWait(bytes);
  if (written < 0) {
    client_.reset();
    return {0, size};
  }
  return {written, size - written};
}

}  // namespace ptpdiag::sim
