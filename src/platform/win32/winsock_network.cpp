#include "platform/win32/winsock_network.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/win32/comm_port.h"
#include "platform/win32/windows_api.h"

namespace ptpdiag {
namespace {

constexpr std::size_t kReceiveChunk = 64 * 1024;
constexpr int kUdpReceiveBufferRequest = 1024 * 1024;

using SteadyClock = std::chrono::steady_clock;

std::int32_t LastSocketError() {
  return WSAGetLastError();
}

bool MakeNonBlocking(SOCKET s) {
  u_long on = 1;
  return ioctlsocket(s, FIONBIO, &on) == 0;
}

int MsLeft(SteadyClock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

std::optional<sockaddr_in> Ipv4Address(const std::string& host, std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) return std::nullopt;
  return address;
}

class WinsockTcpConnection final : public TcpConnection {
 public:
  WinsockTcpConnection(SOCKET s, HANDLE socketEvent, HANDLE wakeEvent)
      : socket_(s), socketEvent_(socketEvent), wakeEvent_(wakeEvent), buffer_(kReceiveChunk) {}
  ~WinsockTcpConnection() override { Close(); }
  WinsockTcpConnection(const WinsockTcpConnection&) = delete;
  WinsockTcpConnection& operator=(const WinsockTcpConnection&) = delete;

  TcpReceive ReceiveByte(int timeoutMs) override {
    TcpReceive result;
    if (peerClosed_) {
      result.Result = TcpReceive::Status::Closed;
      return result;
    }
    if (next_ < filled_) {
      result.Result = TcpReceive::Status::Byte;
      result.Value = buffer_[next_++];
      return result;
    }
    if (socket_ == INVALID_SOCKET) return Failed(WSAENOTSOCK);
    const std::array<HANDLE, 2> events = {socketEvent_, wakeEvent_};
    const DWORD ready = WaitForMultipleObjects(2, events.data(), FALSE,
                                               timeoutMs < 0 ? 0 : static_cast<DWORD>(timeoutMs));
    if (ready == WAIT_OBJECT_0 + 1) {
      ResetEvent(wakeEvent_);
      return result;
    }
    if (ready != WAIT_OBJECT_0) return result;
    WSANETWORKEVENTS happened{};
    WSAEnumNetworkEvents(socket_, socketEvent_, &happened);  // resets the event
    const int n =
        recv(socket_, reinterpret_cast<char*>(buffer_.data()), static_cast<int>(buffer_.size()), 0);
    if (n > 0) {
      filled_ = static_cast<std::size_t>(n);
      next_ = 1;
      result.Result = TcpReceive::Status::Byte;
      result.Value = buffer_[0];
      return result;
    }
    if (n == 0) {
      peerClosed_ = true;
      result.Result = TcpReceive::Status::Closed;
      return result;
    }
    const std::int32_t error = LastSocketError();
    if (error == WSAEWOULDBLOCK || error == WSAEINTR) return result;
    return Failed(error);
  }

  void Wake() override {
    const std::lock_guard lock(wakeMutex_);
    if (wakeEvent_ != nullptr) SetEvent(wakeEvent_);
  }

  std::optional<LinkError> Close() override {
    std::optional<LinkError> error;
    if (socket_ != INVALID_SOCKET) {
      if (closesocket(socket_) != 0) error = LinkError{kErrTcpClose, LastSocketError()};
      socket_ = INVALID_SOCKET;
    }
    const std::lock_guard lock(wakeMutex_);
    if (socketEvent_ != nullptr) WSACloseEvent(socketEvent_);
    if (wakeEvent_ != nullptr) CloseHandle(wakeEvent_);
    socketEvent_ = nullptr;
    wakeEvent_ = nullptr;
    return error;
  }

 private:
  static TcpReceive Failed(std::int32_t error) {
    TcpReceive result;
    result.Result = TcpReceive::Status::Failed;
    result.Error = LinkError{kErrTcpReceive, error};
    return result;
  }

  SOCKET socket_;
  HANDLE socketEvent_;
  HANDLE wakeEvent_;
  std::mutex wakeMutex_;  // Wake may race Close from another thread
  std::vector<std::uint8_t> buffer_;
  std::size_t next_ = 0;
  std::size_t filled_ = 0;
  bool peerClosed_ = false;
};

class WinsockUdpSocket final : public UdpSocket {
 public:
  explicit WinsockUdpSocket(SOCKET s) : socket_(s) {}
  ~WinsockUdpSocket() override { Close(); }
  WinsockUdpSocket(const WinsockUdpSocket&) = delete;
  WinsockUdpSocket& operator=(const WinsockUdpSocket&) = delete;

  SocketHandle Handle() const override { return static_cast<SocketHandle>(socket_); }

  Datagram Receive() override {
    Datagram datagram;
    if (socket_ == INVALID_SOCKET) {
      datagram.Error = LinkError{kErrUdpReceive, WSAENOTSOCK};
      return datagram;
    }
    datagram.Bytes.resize(kReceiveChunk);
    const int n = recvfrom(socket_, reinterpret_cast<char*>(datagram.Bytes.data()),
                           static_cast<int>(datagram.Bytes.size()), 0, nullptr, nullptr);
    if (n >= 0) {
      datagram.Bytes.resize(static_cast<std::size_t>(n));
      datagram.Received = true;
      return datagram;
    }
    datagram.Bytes.clear();
    const std::int32_t error = LastSocketError();
    if (error != WSAEWOULDBLOCK && error != WSAEINTR) {
      datagram.Error = LinkError{kErrUdpReceive, error};
    }
    return datagram;
  }

  std::uint16_t LocalPort() const override {
    if (socket_ == INVALID_SOCKET) return 0;
    sockaddr_in address{};
    int length = sizeof address;
    if (getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohs(address.sin_port);
  }

  void Close() override {
    if (socket_ == INVALID_SOCKET) return;
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }

 private:
  SOCKET socket_;
};

class WinsockUdpSender final : public UdpSender {
 public:
  explicit WinsockUdpSender(SOCKET s) : socket_(s) {}
  ~WinsockUdpSender() override { closesocket(socket_); }
  WinsockUdpSender(const WinsockUdpSender&) = delete;
  WinsockUdpSender& operator=(const WinsockUdpSender&) = delete;

  bool Send(std::span<const std::uint8_t> datagram) override {
    const int n = send(socket_, reinterpret_cast<const char*>(datagram.data()),
                       static_cast<int>(datagram.size()), 0);
    return n == static_cast<int>(datagram.size());
  }

 private:
  SOCKET socket_;
};

class WinsockTcpStream final : public TcpStream {
 public:
  explicit WinsockTcpStream(SOCKET s) : socket_(s) {}
  ~WinsockTcpStream() override { closesocket(socket_); }
  WinsockTcpStream(const WinsockTcpStream&) = delete;
  WinsockTcpStream& operator=(const WinsockTcpStream&) = delete;

  std::int64_t WriteNoWait(std::span<const std::uint8_t> bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const int n = send(socket_, reinterpret_cast<const char*>(bytes.data() + done),
                         static_cast<int>(bytes.size() - done), 0);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else if (n < 0 && LastSocketError() != WSAEWOULDBLOCK) {
        return done > 0 ? static_cast<std::int64_t>(done) : -1;
      } else {
        break;  // full
      }
    }
    return static_cast<std::int64_t>(done);
  }

  bool PeerGone() override {
    std::array<char, 256> ignored{};
    for (int i = 0; i < 16; ++i) {
      const int n = recv(socket_, ignored.data(), static_cast<int>(ignored.size()), 0);
      if (n == 0) return true;
      if (n < 0) return LastSocketError() != WSAEWOULDBLOCK;
    }
    return false;
  }

  std::int64_t ReadNoWait(std::span<std::uint8_t> into) override {
    const int n = recv(socket_, reinterpret_cast<char*>(into.data()), static_cast<int>(into.size()), 0);
    if (n > 0) return n;
    if (n == 0) return into.empty() ? 0 : -1;
    return LastSocketError() == WSAEWOULDBLOCK ? 0 : -1;
  }

 private:
  SOCKET socket_;
};

class WinsockTcpListener final : public TcpListener {
 public:
  WinsockTcpListener(SOCKET s, std::uint16_t port) : socket_(s), port_(port) {}
  ~WinsockTcpListener() override { closesocket(socket_); }
  WinsockTcpListener(const WinsockTcpListener&) = delete;
  WinsockTcpListener& operator=(const WinsockTcpListener&) = delete;

  std::unique_ptr<TcpStream> Accept() override {
    const SOCKET client = accept(socket_, nullptr, nullptr);
    if (client == INVALID_SOCKET) return nullptr;
    MakeNonBlocking(client);
    // Each hop goes out when due, not when a segment fills.
    const BOOL yes = TRUE;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&yes), sizeof yes);
    return std::make_unique<WinsockTcpStream>(client);
  }

  std::uint16_t LocalPort() const override { return port_; }

 private:
  SOCKET socket_;
  std::uint16_t port_;
};

// How often a connect in progress looks whether it was called off.
constexpr int kConnectSliceMs = 50;

// Connects one resolved address within the deadline: 0, WSAETIMEDOUT,
// WSAECANCELLED when called off, or the WSA code.
std::int32_t ConnectOne(const addrinfo& address, SteadyClock::time_point deadline,
                        const std::function<bool()>& cancelled, SOCKET& out) {
  const SOCKET s = socket(address.ai_family, address.ai_socktype, address.ai_protocol);
  if (s == INVALID_SOCKET) return LastSocketError();
  MakeNonBlocking(s);
  std::int32_t error = 0;
  if (connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
    error = LastSocketError();
    while (error == WSAEWOULDBLOCK) {
      if (cancelled && cancelled()) {
        error = WSAECANCELLED;
        break;
      }
      fd_set writable;
      fd_set failed;
      FD_ZERO(&writable);
      FD_ZERO(&failed);
      FD_SET(s, &writable);
      FD_SET(s, &failed);
      const int ms = std::min(MsLeft(deadline), kConnectSliceMs);
      timeval wait{ms / 1000, (ms % 1000) * 1000};
      const int ready = select(0, nullptr, &writable, &failed, &wait);
      if (ready == 0 && MsLeft(deadline) > 0) continue;
      if (ready < 0) {
        error = LastSocketError();
      } else if (ready == 0) {
        error = WSAETIMEDOUT;
      } else {
        int soError = 0;
        int length = sizeof soError;
        error = getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length) == 0
                    ? soError
                    : LastSocketError();
        if (error == 0 && FD_ISSET(s, &failed)) error = WSAECONNREFUSED;
      }
    }
  }
  if (error != 0) {
    closesocket(s);
    return error;
  }
  const linger off{0, 0};
  setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&off), sizeof off);
  out = s;
  return 0;
}

// The socket's readiness as an event the receive thread can wait on, and
// the event that wakes it.
std::unique_ptr<WinsockTcpConnection> WrapConnection(SOCKET s, std::int32_t& error) {
  const HANDLE socketEvent = WSACreateEvent();
  const HANDLE wakeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (socketEvent == WSA_INVALID_EVENT || wakeEvent == nullptr ||
      WSAEventSelect(s, socketEvent, FD_READ | FD_CLOSE) != 0) {
    error = LastSocketError();
    if (socketEvent != WSA_INVALID_EVENT) WSACloseEvent(socketEvent);
    if (wakeEvent != nullptr) CloseHandle(wakeEvent);
    closesocket(s);
    return nullptr;
  }
  return std::make_unique<WinsockTcpConnection>(s, socketEvent, wakeEvent);
}

// One program per port: address reuse on Windows would let two share it.
bool BindExclusive(SOCKET s, const sockaddr_in& address) {
  const BOOL yes = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes), sizeof yes);
  return bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

}  // namespace

WinsockNetwork::WinsockNetwork() {
  WSADATA data{};
  started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockNetwork::~WinsockNetwork() {
  if (started_) WSACleanup();
}

TcpConnectResult WinsockNetwork::ConnectTcp(const std::string& host, std::uint16_t port,
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
    result.Error = LinkError{kErrTcpResolve, code};
    return result;
  }
  const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> addresses(found, &freeaddrinfo);

  const int budgetMs = timeoutMs > 0 ? timeoutMs : 0;
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(budgetMs);
  std::int32_t lastError = WSAECONNREFUSED;
  for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
    SOCKET s = INVALID_SOCKET;
    lastError = ConnectOne(*address, deadline, cancelled, s);
    if (lastError == WSAECANCELLED) break;
    if (lastError == 0) {
      result.Connection = WrapConnection(s, lastError);
      if (result.Connection) return result;
      break;
    }
    if (lastError == WSAETIMEDOUT || (address->ai_next != nullptr && MsLeft(deadline) == 0)) {
      result.Error = LinkError{kErrTcpTimeout, (budgetMs + 999) / 1000};
      return result;
    }
  }
  result.Error = LinkError{kErrTcpConnect, lastError,
                           lastError == WSAECONNREFUSED ? LinkReason::Refused : LinkReason::Other};
  return result;
}

UdpBindResult WinsockNetwork::BindUdp(std::uint16_t port) {
  UdpBindResult result;
  const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) {
    result.Error = LinkError{kErrUdpBind, LastSocketError()};
    return result;
  }
  // Before bind, so the buffer is in place when the first datagram lands.
  const int request = kUdpReceiveBufferRequest;
  setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&request), sizeof request);
  // A port unreachable answer to something sent would fail later receives.
  BOOL reportResets = FALSE;
  DWORD ignored = 0;
  WSAIoctl(s, SIO_UDP_CONNRESET, &reportResets, sizeof reportResets, nullptr, 0, &ignored, nullptr,
           nullptr);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(port);
  if (!BindExclusive(s, address) || !MakeNonBlocking(s)) {
    const std::int32_t error = LastSocketError();
    // Another program holding the port exclusively makes it "access denied".
    const bool inUse = error == WSAEADDRINUSE || error == WSAEACCES;
    result.Error = LinkError{kErrUdpBind, error, inUse ? LinkReason::InUse : LinkReason::Other};
    closesocket(s);
    return result;
  }
  result.Socket = std::make_unique<WinsockUdpSocket>(s);
  return result;
}

std::string WinsockNetwork::ErrorText(std::int32_t code) const {
  return WindowsErrorText(static_cast<DWORD>(code));
}

UdpSenderResult WinsockNetwork::OpenUdpSender(const std::string& host, std::uint16_t port) {
  UdpSenderResult result;
  const std::optional<sockaddr_in> address = Ipv4Address(host, port);
  if (!address) {
    result.Error = "not an IPv4 address: " + host;
    return result;
  }
  const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET ||
      connect(s, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0 ||
      !MakeNonBlocking(s)) {
    result.Error = WindowsErrorText(static_cast<DWORD>(LastSocketError()));
    if (s != INVALID_SOCKET) closesocket(s);
    return result;
  }
  result.Sender = std::make_unique<WinsockUdpSender>(s);
  return result;
}

TcpListenResult WinsockNetwork::ListenTcp(const std::string& host, std::uint16_t port) {
  TcpListenResult result;
  std::optional<sockaddr_in> address = Ipv4Address(host, port);
  if (!address) {
    result.Error = "not an IPv4 address: " + host;
    return result;
  }
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  int length = sizeof *address;
  if (s == INVALID_SOCKET || !BindExclusive(s, *address) || listen(s, kListenBacklog) != 0 ||
      !MakeNonBlocking(s) || getsockname(s, reinterpret_cast<sockaddr*>(&*address), &length) != 0) {
    result.Error = WindowsErrorText(static_cast<DWORD>(LastSocketError()));
    if (s != INVALID_SOCKET) closesocket(s);
    return result;
  }
  result.Listener = std::make_unique<WinsockTcpListener>(s, ntohs(address->sin_port));
  return result;
}

}  // namespace ptpdiag
