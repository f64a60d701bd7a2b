// The network links' sockets, written once over the calls of
// socket_system.h and built into both backends.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/network.h"

namespace ptpdiag {

class SocketNetwork : public Network {
 public:
  // Tries each address `host` resolves to in turn, within `timeoutMs` in all.
  // Errors: kErrTcpResolve (the resolver's code, positive), kErrTcpTimeout
  // (seconds waited, rounded up), kErrTcpConnect (the system's code). The
  // connection's socket is non-blocking.
  TcpConnectResult ConnectTcp(const std::string& host, std::uint16_t port, int timeoutMs,
                              const std::function<bool()>& cancelled = {}) override;
  // IPv4, every local address, no port sharing: a port bound elsewhere
  // fails with kErrUdpBind and Reason InUse. The socket is a SystemUdpSocket.
  UdpBindResult BindUdp(std::uint16_t port) override;
  std::string ErrorText(std::int32_t code) const override;
  // A connected datagram socket, so a refusal by the receiving host shows
  // up as a failed send.
  UdpSenderResult OpenUdpSender(const std::string& host, std::uint16_t port) override;
  TcpListenResult ListenTcp(const std::string& host, std::uint16_t port) override;
  int WaitForSockets(std::span<SocketWatch> watched, int timeoutMs) override;
};

// What BindUdp returns, for callers that want the details.
class SystemUdpSocket final : public UdpSocket {
 public:
  SystemUdpSocket(SocketHandle handle, int receiveBufferBytes);
  ~SystemUdpSocket() override;
  SystemUdpSocket(const SystemUdpSocket&) = delete;
  SystemUdpSocket& operator=(const SystemUdpSocket&) = delete;

  SocketHandle Handle() const override { return handle_; }
  Datagram Receive() override;
  // Idempotent.
  void Close() override;
  // The receive buffer the system granted, in bytes (Linux reports twice the
  // payload it holds; 0 where the system does not say); 1 MiB was asked for.
  int ReceiveBufferBytes() const { return receiveBufferBytes_; }
  std::uint16_t LocalPort() const override;

 private:
  SocketHandle handle_;
  int receiveBufferBytes_;
};

}  // namespace ptpdiag
