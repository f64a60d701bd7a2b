// The socket calls that differ on Windows (Winsock 2).
#include <array>

#include "platform/sockets/socket_system.h"
#include "platform/win32/comm_port.h"
#include "platform/win32/winsock_network.h"

namespace ptpdiag::sockets {

int LastError() {
  return WSAGetLastError();
}
bool WouldBlock(int error) {
  return error == WSAEWOULDBLOCK;
}
bool Interrupted(int error) {
  return error == WSAEINTR;
}
bool InProgress(int error) {
  return error == WSAEWOULDBLOCK;
}
// Another program holding the port exclusively makes it "access denied".
bool AddressInUse(int error) {
  return error == WSAEADDRINUSE || error == WSAEACCES;
}
int TimedOutError() {
  return WSAETIMEDOUT;
}
int CancelledError() {
  return WSAECANCELLED;
}
int RefusedError() {
  return WSAECONNREFUSED;
}
int NotASocketError() {
  return WSAENOTSOCK;
}
std::string ErrorWords(int error) {
  return WindowsErrorText(static_cast<DWORD>(error));
}

// The sockets are non-blocking and Winsock raises no signals.
int NoWaitFlags() {
  return 0;
}

namespace {

bool MakeNonBlocking(Native s) {
  u_long on = 1;
  return ioctlsocket(s, FIONBIO, &on) == 0;
}

// Sockets are not inherited unless asked for, so non-blocking is all.
Native NonBlockingOrClosed(Native s) {
  if (s == INVALID_SOCKET || MakeNonBlocking(s)) return s;
  const int error = WSAGetLastError();
  closesocket(s);
  WSASetLastError(error);
  return INVALID_SOCKET;
}

// One program per port: address reuse on Windows would let two share it.
bool BindExclusive(Native s, const sockaddr_in& address) {
  const BOOL yes = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes), sizeof yes);
  return bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

}  // namespace

Native OpenSocket(int family, int type, int protocol) {
  return NonBlockingOrClosed(socket(family, type, protocol));
}

int CloseSocket(Native s) {
  return closesocket(s) == 0 ? 0 : WSAGetLastError();
}

Native AcceptNoWait(Native listener) {
  return NonBlockingOrClosed(accept(listener, nullptr, nullptr));
}

std::optional<int> WaitConnect(Native s, int ms) {
  fd_set writable;
  fd_set failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(s, &writable);
  FD_SET(s, &failed);
  timeval wait{ms / 1000, (ms % 1000) * 1000};
  const int ready = select(0, nullptr, &writable, &failed, &wait);
  if (ready == 0) return std::nullopt;
  if (ready < 0) return WSAGetLastError();
  int error = 0;
  int length = sizeof error;
  if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0) {
    return WSAGetLastError();
  }
  if (error == 0 && FD_ISSET(s, &failed)) return WSAECONNREFUSED;
  return error;
}

int PollSockets(PollEntry* entries, std::size_t count, int timeoutMs) {
  return WSAPoll(entries, static_cast<ULONG>(count), timeoutMs);
}

// Windows sends 10 probes (from Vista on) before it gives up.
void KeepAlive(Native s, int idleSeconds, int intervalSeconds) {
  tcp_keepalive values{};
  values.onoff = 1;
  values.keepalivetime = static_cast<ULONG>(idleSeconds) * 1000;
  values.keepaliveinterval = static_cast<ULONG>(intervalSeconds) * 1000;
  DWORD ignored = 0;
  WSAIoctl(s, SIO_KEEPALIVE_VALS, &values, sizeof values, nullptr, 0, &ignored, nullptr, nullptr);
}

void GiveUpUnacknowledged(Native s, int seconds) {
  constexpr int kTcpMaxRt = 5;  // TCP_MAXRT, which MinGW's headers lack
  const DWORD value = static_cast<DWORD>(seconds);
  setsockopt(s, IPPROTO_TCP, kTcpMaxRt, reinterpret_cast<const char*>(&value), sizeof value);
}

int PrepareToReceive(Native s, int bytes) {
  setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes);
  // A port unreachable answer to something sent would fail later receives.
  BOOL reportResets = FALSE;
  DWORD ignored = 0;
  WSAIoctl(s, SIO_UDP_CONNRESET, &reportResets, sizeof reportResets, nullptr, 0, &ignored, nullptr,
           nullptr);
  return 0;
}

bool BindDatagram(Native s, const sockaddr_in& address) {
  return BindExclusive(s, address);
}

// Exclusive too: Windows would let a second program share a port with
// address reuse on.
bool BindListener(Native s, const sockaddr_in& address) {
  return BindExclusive(s, address);
}

namespace {

// The socket's readiness as an event, and the event that wakes the wait.
class EventWaiter final : public ReadWaiter {
 public:
  EventWaiter(Native s, HANDLE socketEvent, HANDLE wakeEvent)
      : socket_(s), socketEvent_(socketEvent), wakeEvent_(wakeEvent) {}
  ~EventWaiter() override { Close(); }
  EventWaiter(const EventWaiter&) = delete;
  EventWaiter& operator=(const EventWaiter&) = delete;

  Outcome Wait(int timeoutMs, int&) override {
    const std::array<HANDLE, 2> events = {socketEvent_, wakeEvent_};
    const DWORD ready =
        WaitForMultipleObjects(2, events.data(), FALSE, static_cast<DWORD>(timeoutMs));
    if (ready == WAIT_OBJECT_0 + 1) {
      ResetEvent(wakeEvent_);
      return Outcome::Nothing;
    }
    if (ready != WAIT_OBJECT_0) return Outcome::Nothing;
    WSANETWORKEVENTS happened{};
    WSAEnumNetworkEvents(socket_, socketEvent_, &happened);  // resets the event
    return Outcome::Readable;
  }

  void Wake() override {
    if (wakeEvent_ != nullptr) SetEvent(wakeEvent_);
  }

  void Close() override {
    if (socketEvent_ != nullptr) WSACloseEvent(socketEvent_);
    if (wakeEvent_ != nullptr) CloseHandle(wakeEvent_);
    socketEvent_ = nullptr;
    wakeEvent_ = nullptr;
  }

 private:
  Native socket_;
  HANDLE socketEvent_;
  HANDLE wakeEvent_;
};

}  // namespace

std::unique_ptr<ReadWaiter> MakeReadWaiter(Native s, int& error) {
  const HANDLE socketEvent = WSACreateEvent();
  const HANDLE wakeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (socketEvent == WSA_INVALID_EVENT || wakeEvent == nullptr ||
      WSAEventSelect(s, socketEvent, FD_READ | FD_CLOSE) != 0) {
    error = WSAGetLastError();
    if (socketEvent != WSA_INVALID_EVENT) WSACloseEvent(socketEvent);
    if (wakeEvent != nullptr) CloseHandle(wakeEvent);
    return nullptr;
  }
  return std::make_unique<EventWaiter>(s, socketEvent, wakeEvent);
}

}  // namespace ptpdiag::sockets

namespace ptpdiag {

WinsockNetwork::WinsockNetwork() {
  WSADATA data{};
  started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockNetwork::~WinsockNetwork() {
  if (started_) WSACleanup();
}

}  // namespace ptpdiag
