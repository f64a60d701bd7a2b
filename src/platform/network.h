// The sockets the network links use: one TCP connection to the radio, or
// one UDP socket listening for its datagrams.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/link_error.h"

namespace ptpdiag {

// An OS socket handle, for readiness notification.
using SocketHandle = std::intptr_t;

struct TcpReceive {
  enum class Status { Byte, Nothing, Closed, Failed };
  Status Result = Status::Nothing;
  std::uint8_t Value = 0;
  LinkError Error;  // when Failed
};

class TcpConnection {
 public:
  virtual ~TcpConnection() = default;
  // One byte, waiting up to `timeoutMs` for it to arrive. Closed once the
  // peer has ended the stream. Called from the link thread only.
  virtual TcpReceive ReceiveByte(int timeoutMs) = 0;
  // Makes a ReceiveByte that is waiting return at once, from any thread.
  virtual void Wake() = 0;
  // Closes the socket; an error when the system reported one.
  virtual std::optional<LinkError> Close() = 0;
};

struct Datagram {
  std::vector<std::uint8_t> Bytes;
  bool Received = false;  // false when none was waiting
  std::optional<LinkError> Error;
};

class UdpSocket {
 public:
  virtual ~UdpSocket() = default;
  virtual SocketHandle Handle() const = 0;
  // The next datagram (up to 64 KiB, from any sender) if one is waiting;
  // never waits.
  virtual Datagram Receive() = 0;
  virtual void Close() = 0;
};

struct TcpConnectResult {
  std::unique_ptr<TcpConnection> Connection;
  std::optional<LinkError> Error;
};

struct UdpBindResult {
  std::unique_ptr<UdpSocket> Socket;
  std::optional<LinkError> Error;
};

class Network {
 public:
  virtual ~Network() = default;
  // Resolves `host` and connects, giving up after `timeoutMs`.
  virtual TcpConnectResult ConnectTcp(const std::string& host, std::uint16_t port,
                                      int timeoutMs) = 0;
  // Binds `port` on every local address, with a receive buffer large enough
  // for a second's stall of the window.
  virtual UdpBindResult BindUdp(std::uint16_t port) = 0;
};

}  // namespace ptpdiag
