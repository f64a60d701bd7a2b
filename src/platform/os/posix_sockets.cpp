// The socket calls that differ on POSIX systems.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/sockets/socket_system.h"

namespace ptpdiag::sockets {

int LastError() {
  return errno;
}
bool WouldBlock(int error) {
  return error == EAGAIN || error == EWOULDBLOCK;
}
bool Interrupted(int error) {
  return error == EINTR;
}
bool InProgress(int error) {
  return error == EINPROGRESS || error == EINTR;
}
bool AddressInUse(int error) {
  return error == EADDRINUSE;
}
int TimedOutError() {
  return ETIMEDOUT;
}
int CancelledError() {
  return ECANCELED;
}
int RefusedError() {
  return ECONNREFUSED;
}
int NotASocketError() {
  return EBADF;
}
std::string ErrorWords(int error) {
  return std::strerror(error);
}

int NoWaitFlags() {
  return MSG_DONTWAIT | MSG_NOSIGNAL;
}

Native OpenSocket(int family, int type, int protocol) {
  return socket(family, type | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
}

int CloseSocket(Native s) {
  return close(s) == 0 ? 0 : errno;
}

Native AcceptNoWait(Native listener) {
  return accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
}

int PollSockets(PollEntry* entries, std::size_t count, int timeoutMs) {
  return poll(entries, static_cast<nfds_t>(count), timeoutMs);
}

std::optional<int> WaitConnect(Native s, int ms) {
  pollfd entry{s, POLLOUT, 0};
  const int ready = poll(&entry, 1, ms);
  if (ready < 0) return errno == EINTR ? std::nullopt : std::optional<int>(errno);
  if (ready == 0) return std::nullopt;
  int error = 0;
  socklen_t length = sizeof error;
  if (getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
  return error;
}

void KeepAlive(Native s, int idleSeconds, int intervalSeconds) {
  const int on = 1;
  const int probes = 10;  // as Windows sends, so both systems give up alike
  setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  setsockopt(s, IPPROTO_TCP, TCP_KEEPIDLE, &idleSeconds, sizeof idleSeconds);
  setsockopt(s, IPPROTO_TCP, TCP_KEEPINTVL, &intervalSeconds, sizeof intervalSeconds);
  setsockopt(s, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
}

void GiveUpUnacknowledged(Native s, int seconds) {
  const unsigned ms = static_cast<unsigned>(seconds) * 1000U;
  setsockopt(s, IPPROTO_TCP, TCP_USER_TIMEOUT, &ms, sizeof ms);
}

int PrepareToReceive(Native s, int bytes) {
  // SO_RCVBUFFORCE passes net.core.rmem_max but needs CAP_NET_ADMIN.
  bool raised = false;
#ifdef SO_RCVBUFFORCE
  raised = setsockopt(s, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) == 0;
#endif
  if (!raised) setsockopt(s, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
  int granted = 0;
  socklen_t length = sizeof granted;
  if (getsockopt(s, SOL_SOCKET, SO_RCVBUF, &granted, &length) != 0) granted = 0;
  return granted;
}

bool BindDatagram(Native s, const sockaddr_in& address) {
  return bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

bool BindListener(Native s, const sockaddr_in& address) {
  const int yes = 1;
  return setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) == 0 &&
         bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

namespace {

// The socket and the read end of a pipe that Wake writes to.
class PipeWaiter final : public ReadWaiter {
 public:
  PipeWaiter(Native s, int wakeRead, int wakeWrite)
      : socket_(s), wakeRead_(wakeRead), wakeWrite_(wakeWrite) {}
  ~PipeWaiter() override { Close(); }
  PipeWaiter(const PipeWaiter&) = delete;
  PipeWaiter& operator=(const PipeWaiter&) = delete;

  Outcome Wait(int timeoutMs, int& error) override {
    pollfd entries[2] = {{socket_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    const int ready = poll(entries, 2, timeoutMs);
    if (ready < 0) {
      error = errno;
      return error == EINTR ? Outcome::Nothing : Outcome::Failed;
    }
    if ((entries[1].revents & POLLIN) != 0) {
      DrainWake();
      return Outcome::Nothing;
    }
    return ready == 0 ? Outcome::Nothing : Outcome::Readable;
  }

  void Wake() override {
    if (wakeWrite_ < 0) return;
    const char signal = 1;
    // A full pipe already holds a wake-up; nothing is lost.
    [[maybe_unused]] const ssize_t n = write(wakeWrite_, &signal, 1);
  }

  void Close() override {
    if (wakeRead_ >= 0) close(wakeRead_);
    if (wakeWrite_ >= 0) close(wakeWrite_);
    wakeRead_ = -1;
    wakeWrite_ = -1;
  }

 private:
  void DrainWake() {
    char sink[64];
    while (read(wakeRead_, sink, sizeof sink) > 0) {
    }
  }

  Native socket_;
  int wakeRead_;
  int wakeWrite_;
};

}  // namespace

std::unique_ptr<ReadWaiter> MakeReadWaiter(Native s, int& error) {
  int wake[2];
  if (pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0) {
    error = errno;
    return nullptr;
  }
  return std::make_unique<PipeWaiter>(s, wake[0], wake[1]);
}

}  // namespace ptpdiag::sockets
