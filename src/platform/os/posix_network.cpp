#include "platform/os/posix_network.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace ptpdiag {
namespace {

// The few calls a Winsock version would replace.
int LastSocketError() {
  return errno;
}
bool WouldBlock(int error) {
  return error == EAGAIN || error == EWOULDBLOCK;
}
int CloseSocket(int fd) {
  return close(fd) == 0 ? 0 : LastSocketError();
}

constexpr std::size_t kReceiveChunk = 64 * 1024;
constexpr int kUdpReceiveBufferRequest = 1024 * 1024;

using SteadyClock = std::chrono::steady_clock;

int MsLeft(SteadyClock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

class PosixTcpConnection final : public TcpConnection {
 public:
  PosixTcpConnection(int fd, int wakeRead, int wakeWrite)
      : fd_(fd), wakeRead_(wakeRead), wakeWrite_(wakeWrite), buffer_(kReceiveChunk) {}
  ~PosixTcpConnection() override { Close(); }
  PosixTcpConnection(const PosixTcpConnection&) = delete;
  PosixTcpConnection& operator=(const PosixTcpConnection&) = delete;

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
    if (fd_ < 0) return Failed(EBADF);

    pollfd entries[2] = {{fd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    const int ready = poll(entries, 2, timeoutMs < 0 ? 0 : timeoutMs);
    if (ready < 0) return LastSocketError() == EINTR ? result : Failed(LastSocketError());
    if ((entries[1].revents & POLLIN) != 0) {
      DrainWake();
      return result;
    }
    if (ready == 0) return result;

    const ssize_t n = recv(fd_, buffer_.data(), buffer_.size(), 0);
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
    const int error = LastSocketError();
    if (WouldBlock(error) || error == EINTR) return result;
    return Failed(error);
  }

  void Wake() override {
    const std::lock_guard lock(wakeMutex_);
    if (wakeWrite_ < 0) return;
    const char signal = 1;
    // A full pipe already holds a wake-up; nothing is lost.
    [[maybe_unused]] const ssize_t n = write(wakeWrite_, &signal, 1);
  }

  std::optional<LinkError> Close() override {
    std::optional<LinkError> error;
    if (fd_ >= 0) {
      if (const int failure = CloseSocket(fd_); failure != 0) {
        error = LinkError{kErrTcpClose, failure};
      }
      fd_ = -1;
    }
    const std::lock_guard lock(wakeMutex_);
    if (wakeRead_ >= 0) close(wakeRead_);
    if (wakeWrite_ >= 0) close(wakeWrite_);
    wakeRead_ = -1;
    wakeWrite_ = -1;
    return error;
  }

 private:
  static TcpReceive Failed(int error) {
    TcpReceive result;
    result.Result = TcpReceive::Status::Failed;
    result.Error = LinkError{kErrTcpReceive, error};
    return result;
  }

  void DrainWake() {
    char sink[64];
    while (read(wakeRead_, sink, sizeof sink) > 0) {
    }
  }

  int fd_;
  int wakeRead_;
  int wakeWrite_;
  std::mutex wakeMutex_;  // Wake may race Close from another thread
  std::vector<std::uint8_t> buffer_;
  std::size_t next_ = 0;
  std::size_t filled_ = 0;
  bool peerClosed_ = false;
};

// The connect's wait is cut in slices so a cancel is seen soon.
constexpr int kConnectSliceMs = 50;

// Connects one resolved address within the deadline: 0, ETIMEDOUT,
// ECANCELED or errno.
int ConnectOne(const addrinfo& address, SteadyClock::time_point deadline,
               const std::function<bool()>& cancelled, int& fdOut) {
  const int fd = socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                        address.ai_protocol);
  if (fd < 0) return LastSocketError();
  if (connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
    int error = LastSocketError();
    while (error == EINPROGRESS || error == EINTR) {
      if (cancelled && cancelled()) {
        error = ECANCELED;
        break;
      }
      pollfd entry{fd, POLLOUT, 0};
      const int ready = poll(&entry, 1, std::min(MsLeft(deadline), kConnectSliceMs));
      if (ready < 0 && LastSocketError() == EINTR) continue;
      if (ready == 0 && MsLeft(deadline) > 0) continue;
      if (ready < 0) {
        error = LastSocketError();
      } else if (ready == 0) {
        error = ETIMEDOUT;
      } else {
        socklen_t length = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = LastSocketError();
      }
      break;
    }
    if (error != 0) {
      CloseSocket(fd);
      return error;
    }
  }
  const linger off{0, 0};
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &off, sizeof off);
  fdOut = fd;
  return 0;
}

// An IPv4 socket address of a dotted address; nothing when `host` is not one.
std::optional<sockaddr_in> Ipv4Address(const std::string& host, std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) return std::nullopt;
  return address;
}

std::string SystemWords(int error) {
  return std::strerror(error);
}

class PosixUdpSender final : public UdpSender {
 public:
  explicit PosixUdpSender(int fd) : fd_(fd) {}
  ~PosixUdpSender() override { CloseSocket(fd_); }
  PosixUdpSender(const PosixUdpSender&) = delete;
  PosixUdpSender& operator=(const PosixUdpSender&) = delete;

  bool Send(std::span<const std::uint8_t> datagram) override {
    ssize_t n = -1;
    do {
      n = send(fd_, datagram.data(), datagram.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    } while (n < 0 && LastSocketError() == EINTR);
    return n == static_cast<ssize_t>(datagram.size());
  }

 private:
  int fd_;
};

class PosixTcpStream final : public TcpStream {
 public:
  explicit PosixTcpStream(int fd) : fd_(fd) {}
  ~PosixTcpStream() override { CloseSocket(fd_); }
  PosixTcpStream(const PosixTcpStream&) = delete;
  PosixTcpStream& operator=(const PosixTcpStream&) = delete;

  std::int64_t WriteNoWait(std::span<const std::uint8_t> bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n =
          send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else if (n < 0 && LastSocketError() == EINTR) {
        continue;
      } else if (n < 0 && !WouldBlock(LastSocketError())) {
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
      const ssize_t n = recv(fd_, ignored.data(), ignored.size(), MSG_DONTWAIT);
      if (n == 0) return true;
      if (n < 0) return !WouldBlock(LastSocketError()) && LastSocketError() != EINTR;
    }
    return false;
  }

  std::int64_t ReadNoWait(std::span<std::uint8_t> into) override {
    for (;;) {
      const ssize_t n = recv(fd_, into.data(), into.size(), MSG_DONTWAIT);
      if (n > 0) return n;
      if (n == 0) return into.empty() ? 0 : -1;
      if (LastSocketError() == EINTR) continue;
      return WouldBlock(LastSocketError()) ? 0 : -1;
    }
  }

 private:
  int fd_;
};

class PosixTcpListener final : public TcpListener {
 public:
  PosixTcpListener(int fd, std::uint16_t port) : fd_(fd), port_(port) {}
  ~PosixTcpListener() override { CloseSocket(fd_); }
  PosixTcpListener(const PosixTcpListener&) = delete;
  PosixTcpListener& operator=(const PosixTcpListener&) = delete;

  std::unique_ptr<TcpStream> Accept() override {
    const int client = accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (client < 0) return nullptr;
    // Each hop goes out when due, not when a segment fills.
    const int yes = 1;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    return std::make_unique<PosixTcpStream>(client);
  }

  std::uint16_t LocalPort() const override { return port_; }

 private:
  int fd_;
  std::uint16_t port_;
};

}  // namespace

TcpConnectResult PosixNetwork::ConnectTcp(const std::string& host, std::uint16_t port,
                                          int timeoutMs, const std::function<bool()>& cancelled) {
  TcpConnectResult result;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
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
  int lastError = ECONNREFUSED;
  for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
    int fd = -1;
    lastError = ConnectOne(*address, deadline, cancelled, fd);
    if (lastError == ECANCELED) break;
    if (lastError == 0) {
      int wake[2];
      if (pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        lastError = LastSocketError();
        CloseSocket(fd);
        break;
      }
      result.Connection = std::make_unique<PosixTcpConnection>(fd, wake[0], wake[1]);
      return result;
    }
    if (lastError == ETIMEDOUT || (address->ai_next != nullptr && MsLeft(deadline) == 0)) {
      result.Error = LinkError{kErrTcpTimeout, (budgetMs + 999) / 1000};
      return result;
    }
  }
  result.Error = LinkError{kErrTcpConnect, lastError,
                           lastError == ECONNREFUSED ? LinkReason::Refused : LinkReason::Other};
  return result;
}

UdpBindResult PosixNetwork::BindUdp(std::uint16_t port) {
  UdpBindResult result;
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    result.Error = LinkError{kErrUdpBind, LastSocketError()};
    return result;
  }
  // Before bind, so the buffer is in place when the first datagram lands.
  // SO_RCVBUFFORCE passes net.core.rmem_max but needs CAP_NET_ADMIN.
  const int request = kUdpReceiveBufferRequest;
  bool raised = false;
#ifdef SO_RCVBUFFORCE
  raised = setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &request, sizeof request) == 0;
#endif
  if (!raised) setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &request, sizeof request);
  int granted = 0;
  socklen_t length = sizeof granted;
  if (getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &granted, &length) != 0) granted = 0;

  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(port);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    const int error = LastSocketError();
    result.Error =
        LinkError{kErrUdpBind, error, error == EADDRINUSE ? LinkReason::InUse : LinkReason::Other};
    CloseSocket(fd);
    return result;
  }
  result.Socket = std::make_unique<PosixUdpSocket>(fd, granted);
  return result;
}

std::string PosixNetwork::ErrorText(std::int32_t code) const {
  return SystemWords(code);
}

UdpSenderResult PosixNetwork::OpenUdpSender(const std::string& host, std::uint16_t port) {
  UdpSenderResult result;
  const std::optional<sockaddr_in> address = Ipv4Address(host, port);
  if (!address) {
    result.Error = "not an IPv4 address: " + host;
    return result;
  }
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0 || connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
    result.Error = SystemWords(LastSocketError());
    if (fd >= 0) CloseSocket(fd);
    return result;
  }
  result.Sender = std::make_unique<PosixUdpSender>(fd);
  return result;
}

TcpListenResult PosixNetwork::ListenTcp(const std::string& host, std::uint16_t port) {
  TcpListenResult result;
  std::optional<sockaddr_in> address = Ipv4Address(host, port);
  if (!address) {
    result.Error = "not an IPv4 address: " + host;
    return result;
  }
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  const int yes = 1;
  socklen_t length = sizeof *address;
  if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0 ||
      bind(fd, reinterpret_cast<const sockaddr*>(&*address), length) != 0 ||
      listen(fd, kListenBacklog) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&*address), &length) != 0) {
    result.Error = SystemWords(LastSocketError());
    if (fd >= 0) CloseSocket(fd);
    return result;
  }
  result.Listener = std::make_unique<PosixTcpListener>(fd, ntohs(address->sin_port));
  return result;
}

PosixUdpSocket::PosixUdpSocket(int fd, int receiveBufferBytes)
    : fd_(fd), receiveBufferBytes_(receiveBufferBytes) {}

PosixUdpSocket::~PosixUdpSocket() {
  Close();
}

Datagram PosixUdpSocket::Receive() {
  Datagram datagram;
  if (fd_ < 0) {
    datagram.Error = LinkError{kErrUdpReceive, EBADF};
    return datagram;
  }
  datagram.Bytes.resize(kReceiveChunk);
  const ssize_t n =
      recvfrom(fd_, datagram.Bytes.data(), datagram.Bytes.size(), MSG_DONTWAIT, nullptr, nullptr);
  if (n >= 0) {
    datagram.Bytes.resize(static_cast<std::size_t>(n));
    datagram.Received = true;
    return datagram;
  }
  datagram.Bytes.clear();
  const int error = LastSocketError();
  if (!WouldBlock(error) && error != EINTR) datagram.Error = LinkError{kErrUdpReceive, error};
  return datagram;
}

void PosixUdpSocket::Close() {
  if (fd_ < 0) return;
  CloseSocket(fd_);
  fd_ = -1;
}

std::uint16_t PosixUdpSocket::LocalPort() const {
  if (fd_ < 0) return 0;
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  return ntohs(address.sin_port);
}

}  // namespace ptpdiag
