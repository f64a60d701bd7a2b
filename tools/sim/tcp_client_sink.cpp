#include "sim/tcp_client_sink.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <array>
#include <cerrno>

#include "sim/fd_sink.h"

namespace ptpdiag::sim {

TcpClientSink::TcpClientSink(int listenFd) : listenFd_(listenFd) {
  const int flags = ::fcntl(listenFd, F_GETFL);
  if (flags >= 0) ::fcntl(listenFd, F_SETFL, flags | O_NONBLOCK);
}

void TcpClientSink::AcceptClient() {
  client_ = UniqueFd(::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
  // Each hop goes out when due, not when a segment fills.
  const int yes = 1;
  if (client_.Valid()) ::setsockopt(client_.Get(), IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
}

// Whatever the client sends is read and ignored, so its end of stream can be
// seen before the next write.
bool TcpClientSink::ClientClosed() {
  std::array<char, 256> ignored{};
  for (int i = 0; i < 16; ++i) {
    const ssize_t n = ::recv(client_.Get(), ignored.data(), ignored.size(), MSG_DONTWAIT);
    if (n == 0) return true;
    if (n < 0) return errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
  }
  return false;
}

WriteCounts TcpClientSink::Write(std::span<const std::uint8_t> bytes) {
  const auto size = static_cast<std::int64_t>(bytes.size());
  if (client_.Valid() && ClientClosed()) client_.Reset();
  if (!client_.Valid()) AcceptClient();
  if (!client_.Valid()) return {0, size};
  const long written = WriteNoWait(client_.Get(), true, bytes);
  if (written < 0) {
    client_.Reset();
    return {0, size};
  }
  return {written, size - written};
}

}  // namespace ptpdiag::sim
