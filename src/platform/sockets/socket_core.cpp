#include "platform/sockets/socket_core.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/sockets/socket_system.h"

namespace ptpdiag {
namespace {

using sockets::Native;
using sockets::ReadWaiter;

constexpr std::size_t kReceiveChunk = 64 * 1024;
constexpr int kUdpReceiveBufferRequest = 1024 * 1024;
// A peer gone without a word is found within 8 + 10 x 2 = 28 s.
constexpr int kKeepAliveIdleSeconds = 8;
constexpr int kKeepAliveIntervalSeconds = 2;
// The connect's wait is cut in slices so a cancel is seen soon.
constexpr int kConnectSliceMs = 50;

using SteadyClock = std::chrono::steady_clock;

int MsLeft(SteadyClock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

Native ToNative(SocketHandle handle) {
  return static_cast<Native>(handle);
}

SocketHandle ToHandle(Native s) {
  return static_cast<SocketHandle>(s);
}

// Bytes moved; 0 when the peer ended the stream (receive); -1 otherwise,
// with LastError.
std::int64_t SendSome(Native s, const std::uint8_t* bytes, std::size_t size) {
  return send(s, reinterpret_cast<const char*>(bytes), static_cast<int>(size),
              sockets::NoWaitFlags());
}

std::int64_t ReceiveSome(Native s, std::uint8_t* into, std::size_t size) {
  return recv(s, reinterpret_cast<char*>(into), static_cast<int>(size), sockets::NoWaitFlags());
}

// A failure that is only "nothing now": try again later.
bool Transient(int error) {
  return sockets::WouldBlock(error) || sockets::Interrupted(error);
}

void SetFlag(Native s, int level, int option) {
  const int yes = 1;
  setsockopt(s, level, option, reinterpret_cast<const char*>(&yes), sizeof yes);
}

// An IPv4 socket address of a dotted address; nothing when `host` is not one.
std::optional<sockaddr_in> Ipv4Address(const std::string& host, std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) return std::nullopt;
  return address;
}

std::uint16_t BoundPort(Native s) {
  sockaddr_in address{};
  sockets::AddressLength length = sizeof address;
  if (getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  return ntohs(address.sin_port);
}

class SystemTcpConnection final : public TcpConnection {
 public:
  SystemTcpConnection(Native s, std::unique_ptr<ReadWaiter> waiter)
      : socket_(s), waiter_(std::move(waiter)), buffer_(kReceiveChunk) {}
  ~SystemTcpConnection() override { static_cast<void>(Close()); }
  SystemTcpConnection(const SystemTcpConnection&) = delete;
  SystemTcpConnection& operator=(const SystemTcpConnection&) = delete;

  TcpReceive ReceiveByte(int timeoutMs) override {
    TcpReceive result;
    if (peerClosed_) {
      result.Result = TcpReceive::Status::Closed;
      return result;
    }
    if (next_ < filled_) return Byte(buffer_[next_++]);
    if (socket_ == sockets::kNoSocket) return Failed(sockets::NotASocketError());
    int error = 0;
    switch (waiter_->Wait(timeoutMs < 0 ? 0 : timeoutMs, error)) {
      case ReadWaiter::Outcome::Nothing:
        return result;
      case ReadWaiter::Outcome::Failed:
        return Failed(error);
      case ReadWaiter::Outcome::Readable:
        break;
    }
    return Receive();
  }

  void Wake() override {
    const std::lock_guard lock(wakeMutex_);
    if (waiter_) waiter_->Wake();
  }

  std::optional<LinkError> Close() override {
    std::optional<LinkError> error;
    if (socket_ != sockets::kNoSocket) {
      if (const int failure = sockets::CloseSocket(socket_); failure != 0) {
        error = LinkError{kErrTcpClose, failure};
      }
      socket_ = sockets::kNoSocket;
    }
    const std::lock_guard lock(wakeMutex_);
    if (waiter_) waiter_->Close();
    return error;
  }

 private:
  static TcpReceive Byte(std::uint8_t value) {
    TcpReceive result;
    result.Result = TcpReceive::Status::Byte;
    result.Value = value;
    return result;
  }

  static TcpReceive Failed(int error) {
    TcpReceive result;
    result.Result = TcpReceive::Status::Failed;
    const bool silent = error == sockets::TimedOutError();
    result.Error = LinkError{kErrTcpReceive, error, silent ? LinkReason::Silent : LinkReason::Other};
    return result;
  }

  TcpReceive Receive() {
    const std::int64_t n = ReceiveSome(socket_, buffer_.data(), buffer_.size());
    if (n > 0) {
      filled_ = static_cast<std::size_t>(n);
      next_ = 1;
      return Byte(buffer_[0]);
    }
    if (n == 0) {
      peerClosed_ = true;
      TcpReceive closed;
      closed.Result = TcpReceive::Status::Closed;
      return closed;
    }
    const int error = sockets::LastError();
    return Transient(error) ? TcpReceive{} : Failed(error);
  }

  Native socket_;
  std::unique_ptr<ReadWaiter> waiter_;
  std::mutex wakeMutex_;  // Wake may race Close from another thread
  std::vector<std::uint8_t> buffer_;
  std::size_t next_ = 0;
  std::size_t filled_ = 0;
  bool peerClosed_ = false;
};

class SystemUdpSender final : public UdpSender {
 public:
  explicit SystemUdpSender(Native s) : socket_(s) {}
  ~SystemUdpSender() override { sockets::CloseSocket(socket_); }
  SystemUdpSender(const SystemUdpSender&) = delete;
  SystemUdpSender& operator=(const SystemUdpSender&) = delete;

  bool Send(std::span<const std::uint8_t> datagram) override {
    std::int64_t n = -1;
    do {
      n = SendSome(socket_, datagram.data(), datagram.size());
    } while (n < 0 && sockets::Interrupted(sockets::LastError()));
    return n == static_cast<std::int64_t>(datagram.size());
  }

 private:
  Native socket_;
};

class SystemTcpStream final : public TcpStream {
 public:
  explicit SystemTcpStream(Native s) : socket_(s) {}
  ~SystemTcpStream() override { sockets::CloseSocket(socket_); }
  SystemTcpStream(const SystemTcpStream&) = delete;
  SystemTcpStream& operator=(const SystemTcpStream&) = delete;

  std::int64_t WriteNoWait(std::span<const std::uint8_t> bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const std::int64_t n = SendSome(socket_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else if (n < 0 && sockets::Interrupted(sockets::LastError())) {
        continue;
      } else if (n < 0 && !sockets::WouldBlock(sockets::LastError())) {
        return done > 0 ? static_cast<std::int64_t>(done) : -1;
      } else {
        break;  // full
      }
    }
    return static_cast<std::int64_t>(done);
  }

  bool PeerGone() override {
    std::array<std::uint8_t, 256> ignored{};
    for (int i = 0; i < 16; ++i) {
      const std::int64_t n = ReceiveSome(socket_, ignored.data(), ignored.size());
      if (n == 0) return true;
      if (n < 0) return !Transient(sockets::LastError());
    }
    return false;
  }

  std::int64_t ReadNoWait(std::span<std::uint8_t> into) override {
    for (;;) {
      const std::int64_t n = ReceiveSome(socket_, into.data(), into.size());
      if (n > 0) return n;
      if (n == 0) return into.empty() ? 0 : -1;
      if (sockets::Interrupted(sockets::LastError())) continue;
      return sockets::WouldBlock(sockets::LastError()) ? 0 : -1;
    }
  }

  SocketHandle Handle() const override { return ToHandle(socket_); }

  void LimitSending(int bufferBytes, int seconds) override {
    setsockopt(socket_, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&bufferBytes),
               sizeof bufferBytes);
    sockets::GiveUpUnacknowledged(socket_, seconds);
  }

 private:
  Native socket_;
};

class SystemTcpListener final : public TcpListener {
 public:
  SystemTcpListener(Native s, std::uint16_t port) : socket_(s), port_(port) {}
  ~SystemTcpListener() override { sockets::CloseSocket(socket_); }
  SystemTcpListener(const SystemTcpListener&) = delete;
  SystemTcpListener& operator=(const SystemTcpListener&) = delete;

  std::unique_ptr<TcpStream> Accept() override {
    const Native client = sockets::AcceptNoWait(socket_);
    if (client == sockets::kNoSocket) return nullptr;
    // Each hop goes out when due, not when a segment fills.
    SetFlag(client, IPPROTO_TCP, TCP_NODELAY);
    return std::make_unique<SystemTcpStream>(client);
  }

  std::uint16_t LocalPort() const override { return port_; }
  SocketHandle Handle() const override { return ToHandle(socket_); }

 private:
  Native socket_;
  std::uint16_t port_;
};

// Waits for a connect in progress within the deadline: 0, the timeout or
// cancel code, or the error it ended with.
int FinishConnect(Native s, int error, SteadyClock::time_point deadline,
                  const std::function<bool()>& cancelled) {
  while (sockets::InProgress(error)) {
    if (cancelled && cancelled()) return sockets::CancelledError();
    const std::optional<int> ended =
        sockets::WaitConnect(s, std::min(MsLeft(deadline), kConnectSliceMs));
    if (ended) return *ended;
    if (MsLeft(deadline) == 0) return sockets::TimedOutError();
  }
  return error;
}

// Connects one resolved address within the deadline: 0, the timeout or
// cancel code, or the system's error.
int ConnectOne(const addrinfo& address, SteadyClock::time_point deadline,
               const std::function<bool()>& cancelled, Native& out) {
  const Native s = sockets::OpenSocket(address.ai_family, address.ai_socktype, address.ai_protocol);
  if (s == sockets::kNoSocket) return sockets::LastError();
  int error = 0;
  if (connect(s, address.ai_addr, static_cast<sockets::AddressLength>(address.ai_addrlen)) != 0) {
    error = FinishConnect(s, sockets::LastError(), deadline, cancelled);
  }
  if (error != 0) {
    sockets::CloseSocket(s);
    return error;
  }
  const linger off{0, 0};
  setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&off), sizeof off);
  // The radio only sends: silence from a vanished peer is found by probes.
  sockets::KeepAlive(s, kKeepAliveIdleSeconds, kKeepAliveIntervalSeconds);
  out = s;
  return 0;
}

// The connection with its waiter; nothing (the socket closed) when no
// waiter could be made.
std::unique_ptr<TcpConnection> WrapConnection(Native s, int& error) {
  std::unique_ptr<ReadWaiter> waiter = sockets::MakeReadWaiter(s, error);
  if (!waiter) {
    sockets::CloseSocket(s);
    return nullptr;
  }
  return std::make_unique<SystemTcpConnection>(s, std::move(waiter));
}

}  // namespace

TcpConnectResult SocketNetwork::ConnectTcp(const std::string& host, std::uint16_t port,
                                           int timeoutMs, const std::function<bool()>& cancelled) {
  TcpConnectResult result;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (const int code = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); code != 0) {
    result.Error = LinkError{kErrTcpResolve, code < 0 ? -code : code};
    return result;
  }
  const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> addresses(found, &freeaddrinfo);

  const int budgetMs = timeoutMs > 0 ? timeoutMs : 0;
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(budgetMs);
  int lastError = sockets::RefusedError();
  for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
    Native s = sockets::kNoSocket;
    lastError = ConnectOne(*address, deadline, cancelled, s);
    if (lastError == sockets::CancelledError()) break;
    if (lastError == 0) {
      result.Connection = WrapConnection(s, lastError);
      if (result.Connection) return result;
      break;
    }
    if (lastError == sockets::TimedOutError() ||
        (address->ai_next != nullptr && MsLeft(deadline) == 0)) {
      result.Error = LinkError{kErrTcpTimeout, (budgetMs + 999) / 1000};
      return result;
    }
  }
  const bool refused = lastError == sockets::RefusedError();
  result.Error =
      LinkError{kErrTcpConnect, lastError, refused ? LinkReason::Refused : LinkReason::Other};
  return result;
}

UdpBindResult SocketNetwork::BindUdp(std::uint16_t port) {
  UdpBindResult result;
  const Native s = sockets::OpenSocket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == sockets::kNoSocket) {
    result.Error = LinkError{kErrUdpBind, sockets::LastError()};
    return result;
  }
  // Before bind, so the buffer is in place when the first datagram lands.
  const int granted = sockets::PrepareToReceive(s, kUdpReceiveBufferRequest);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(port);
  if (!sockets::BindDatagram(s, address)) {
    const int error = sockets::LastError();
    const LinkReason reason = sockets::AddressInUse(error) ? LinkReason::InUse : LinkReason::Other;
    result.Error = LinkError{kErrUdpBind, error, reason};
    sockets::CloseSocket(s);
    return result;
  }
  result.Socket = std::make_unique<SystemUdpSocket>(ToHandle(s), granted);
  return result;
}

std::string SocketNetwork::ErrorText(std::int32_t code) const {
  return sockets::ErrorWords(code);
}

UdpSenderResult SocketNetwork::OpenUdpSender(const std::string& host, std::uint16_t port) {
  UdpSenderResult result;
  const std::optional<sockaddr_in> address = Ipv4Address(host, port);
  if (!address) {
    result.Error = "not an IPv4 address: " + host;
    return result;
  }
  const Native s = sockets::OpenSocket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == sockets::kNoSocket ||
      connect(s, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
    result.Error = sockets::ErrorWords(sockets::LastError());
    if (s != sockets::kNoSocket) sockets::CloseSocket(s);
    return result;
  }
  result.Sender = std::make_unique<SystemUdpSender>(s);
  return result;
}

TcpListenResult SocketNetwork::ListenTcp(const std::string& host, std::uint16_t port) {
  TcpListenResult result;
  const std::optional<sockaddr_in> address = Ipv4Address(host, port);
  if (!address) {
    result.Error = "not an IPv4 address: " + host;
    return result;
  }
  const Native s = sockets::OpenSocket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  const std::uint16_t bound = s == sockets::kNoSocket || !sockets::BindListener(s, *address) ||
                                     listen(s, kListenBacklog) != 0
                                 ? 0
                                 : BoundPort(s);
  if (bound == 0) {
    result.Error = sockets::ErrorWords(sockets::LastError());
    if (s != sockets::kNoSocket) sockets::CloseSocket(s);
    return result;
  }
  result.Listener = std::make_unique<SystemTcpListener>(s, bound);
  return result;
}

int SocketNetwork::WaitForSockets(std::span<SocketWatch> watched, int timeoutMs) {
  std::vector<sockets::PollEntry> entries(watched.size());
  for (std::size_t i = 0; i < watched.size(); ++i) {
    entries[i].fd = ToNative(watched[i].Handle);
    entries[i].events = watched[i].ForWriting ? POLLOUT : POLLIN;
  }
  int ready = -1;
  do {
    ready = sockets::PollSockets(entries.data(), entries.size(), timeoutMs);
  } while (ready < 0 && sockets::Interrupted(sockets::LastError()));
  for (std::size_t i = 0; i < watched.size(); ++i) watched[i].Ready = ready > 0 && entries[i].revents != 0;
  return ready;
}

SystemUdpSocket::SystemUdpSocket(SocketHandle handle, int receiveBufferBytes)
    : handle_(handle), receiveBufferBytes_(receiveBufferBytes) {}

SystemUdpSocket::~SystemUdpSocket() {
  Close();
}

Datagram SystemUdpSocket::Receive() {
  Datagram datagram;
  if (handle_ == ToHandle(sockets::kNoSocket)) {
    datagram.Error = LinkError{kErrUdpReceive, sockets::NotASocketError()};
    return datagram;
  }
  datagram.Bytes.resize(kReceiveChunk);
  const std::int64_t n = ReceiveSome(ToNative(handle_), datagram.Bytes.data(), datagram.Bytes.size());
  if (n >= 0) {
    datagram.Bytes.resize(static_cast<std::size_t>(n));
    datagram.Received = true;
    return datagram;
  }
  datagram.Bytes.clear();
  const int error = sockets::LastError();
  if (!Transient(error)) datagram.Error = LinkError{kErrUdpReceive, error};
  return datagram;
}

void SystemUdpSocket::Close() {
  if (handle_ == ToHandle(sockets::kNoSocket)) return;
  sockets::CloseSocket(ToNative(handle_));
  handle_ = ToHandle(sockets::kNoSocket);
}

std::uint16_t SystemUdpSocket::LocalPort() const {
  if (handle_ == ToHandle(sockets::kNoSocket)) return 0;
  return BoundPort(ToNative(handle_));
}

}  // namespace ptpdiag
