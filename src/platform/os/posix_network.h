// The network links' sockets on POSIX systems.
#pragma once

#include <cstdint>
#include <string>

#include "platform/network.h"

namespace ptpdiag {

class PosixNetwork final : public Network {
 public:
  // Tries each address `host` resolves to in turn, within `timeoutMs` in all.
  // Errors: kErrTcpResolve (the resolver's code, positive), kErrTcpTimeout
  // (seconds waited, rounded up), kErrTcpConnect (errno). The connection's
  // socket is non-blocking.
  TcpConnectResult ConnectTcp(const std::string& host, std::uint16_t port, int timeoutMs,
                              const std::function<bool()>& cancelled = {}) override;

  // IPv4, every local address, no address reuse (a port bound elsewhere
  // fails with kErrUdpBind). The socket is a PosixUdpSocket.
  UdpBindResult BindUdp(std::uint16_t port) override;

  // A connected datagram socket, so a refusal by the receiving host shows
  // up as a failed send.
  std::string ErrorText(std::int32_t code) const override;
  UdpSenderResult OpenUdpSender(const std::string& host, std::uint16_t port) override;
  TcpListenResult ListenTcp(const std::string& host, std::uint16_t port) override;
};

// What BindUdp returns, for callers that want the details.
class PosixUdpSocket final : public UdpSocket {
 public:
  PosixUdpSocket(int fd, int receiveBufferBytes);
  ~PosixUdpSocket() override;
  PosixUdpSocket(const PosixUdpSocket&) = delete;
  PosixUdpSocket& operator=(const PosixUdpSocket&) = delete;

  SocketHandle Handle() const override { return fd_; }
  Datagram Receive() override;
  // Idempotent.
  void Close() override;

  // The receive buffer the system granted, in bytes (Linux reports twice the
  // payload it holds); 1 MiB was asked for.
  int ReceiveBufferBytes() const { return receiveBufferBytes_; }
  std::uint16_t LocalPort() const override;

 private:
  int fd_;
  int receiveBufferBytes_;
};

}  // namespace ptpdiag
