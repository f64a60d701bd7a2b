// The network links' sockets on Windows (Winsock 2): the TCP connection
// waits on socket events with a wake-up event beside them; the UDP socket
// reaches the window as message 961 through WSAAsyncSelect.
#pragma once

#include "platform/network.h"

namespace ptpdiag {

class WinsockNetwork final : public Network {
 public:
  WinsockNetwork();  // WSAStartup
  ~WinsockNetwork() override;
  WinsockNetwork(const WinsockNetwork&) = delete;
  WinsockNetwork& operator=(const WinsockNetwork&) = delete;

  // Tries each address `host` resolves to in turn, within `timeoutMs` in
  // all. Errors: kErrTcpResolve (the resolver's code), kErrTcpTimeout
  // (seconds waited, rounded up), kErrTcpConnect (the WSA code).
  TcpConnectResult ConnectTcp(const std::string& host, std::uint16_t port, int timeoutMs,
                              const std::function<bool()>& cancelled = {}) override;
  // IPv4, every local address, exclusive: a port bound elsewhere fails with
  // kErrUdpBind (10048, WSAEADDRINUSE).
  UdpBindResult BindUdp(std::uint16_t port) override;
  std::string ErrorText(std::int32_t code) const override;
  UdpSenderResult OpenUdpSender(const std::string& host, std::uint16_t port) override;
  // Exclusive too: Windows would let a second program share a port with
  // address reuse on.
  TcpListenResult ListenTcp(const std::string& host, std::uint16_t port) override;

 private:
  bool started_ = false;
};

}  // namespace ptpdiag
