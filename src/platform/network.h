// The sockets the network links use: one TCP connection to the radio, or
// one UDP socket listening for its datagrams; the sending ends the
// simulated radio uses; and the listening end the metrics endpoint serves
// from.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/link_error.h"

namespace ptpdiag {

// Connections a listener holds while they wait to be accepted: a burst of
// scrapes must wait there, not be refused.
inline constexpr int kListenBacklog = 64;

// An OS socket handle, for readiness notification.
using SocketHandle = std::intptr_t;

// A socket to wait on, and whether the wait found it ready.
struct SocketWatch {
  SocketHandle Handle = -1;
  bool ForWriting = false;  // else for reading, or a connection to accept
  bool Ready = false;       // also when it failed or the peer hung up
};

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
  [[nodiscard]] virtual std::optional<LinkError> Close() = 0;
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
  // The port bound; 0 once closed.
  virtual std::uint16_t LocalPort() const = 0;
  virtual void Close() = 0;
};

// Datagrams to one address, for the simulated radio.
class UdpSender {
 public:
  virtual ~UdpSender() = default;
  // Sends one datagram without waiting; false when the system refused it
  // (nobody listening, full buffer).
  [[nodiscard]] virtual bool Send(std::span<const std::uint8_t> datagram) = 0;
};

// One accepted connection of a TcpListener.
class TcpStream {
 public:
  virtual ~TcpStream() = default;
  // Writes what the connection takes now, never waiting: the bytes written
  // (0 when it is full), or -1 once it has failed.
  virtual std::int64_t WriteNoWait(std::span<const std::uint8_t> bytes) = 0;
  // Reads and drops what the peer sent; true once it has closed its end or
  // the connection failed.
  virtual bool PeerGone() = 0;
  // Reads what has arrived into `into`, never waiting: the bytes read (0
  // when none waits), or -1 once the peer has closed its end or the
  // connection failed.
  virtual std::int64_t ReadNoWait(std::span<std::uint8_t> into) = 0;
  virtual SocketHandle Handle() const = 0;
  // For a connection that streams: the system keeps about `bufferBytes` of
  // it unsent, and gives it up when what was sent stays unacknowledged
  // `seconds`; so a client that stops taking it shows soon as bytes
  // waiting in the program.
  virtual void LimitSending(int bufferBytes, int seconds) = 0;
};

class TcpListener {
 public:
  virtual ~TcpListener() = default;
  // The next client that connected, or nothing; never waits.
  virtual std::unique_ptr<TcpStream> Accept() = 0;
  // The port listened on (the real one after asking for port 0).
  virtual std::uint16_t LocalPort() const = 0;
  virtual SocketHandle Handle() const = 0;
};

struct [[nodiscard]] TcpConnectResult {
  std::unique_ptr<TcpConnection> Connection;
  std::optional<LinkError> Error;
};

struct [[nodiscard]] UdpBindResult {
  std::unique_ptr<UdpSocket> Socket;
  std::optional<LinkError> Error;
};

struct [[nodiscard]] UdpSenderResult {
  std::unique_ptr<UdpSender> Sender;
  std::string Error;  // the system's words when Sender is null
};

struct [[nodiscard]] TcpListenResult {
  std::unique_ptr<TcpListener> Listener;
  std::string Error;  // the system's words when Listener is null
};

class Network {
 public:
  virtual ~Network() = default;
  // Resolves `host` and connects, giving up after `timeoutMs`, or soon
  // after `cancelled` (when given) turns true. A refusal's Reason is Refused.
  virtual TcpConnectResult ConnectTcp(const std::string& host, std::uint16_t port, int timeoutMs,
                                      const std::function<bool()>& cancelled = {}) = 0;
  // Binds `port` on every local address, with a receive buffer large enough
  // for a second's stall of the window. A port in use has Reason InUse.
  virtual UdpBindResult BindUdp(std::uint16_t port) = 0;

  // The system's words for an error number in a LinkError of this network.
  virtual std::string ErrorText(std::int32_t code) const = 0;

  // A sender of datagrams to `host` (a dotted IPv4 address) at `port`.
  virtual UdpSenderResult OpenUdpSender(const std::string& host, std::uint16_t port) = 0;
  // Listens on `host` (a dotted IPv4 address) at `port` (0: a free port the
  // system picks), so that it can restart at once on the same port.
  virtual TcpListenResult ListenTcp(const std::string& host, std::uint16_t port) = 0;
  // Waits up to `timeoutMs` until any of `watched` is ready, marking each:
  // how many are (0 when the time ran out), or -1 when the wait failed.
  virtual int WaitForSockets(std::span<SocketWatch> watched, int timeoutMs) = 0;
};

}  // namespace ptpdiag
