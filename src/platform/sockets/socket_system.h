// The few socket calls that differ between POSIX and Winsock, behind one
// set of names: platform/os/posix_sockets.cpp and
// platform/win32/winsock_sockets.cpp each define them. Everything built on
// them (socket_core.cpp) is written once for both systems.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#endif

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace ptpdiag::sockets {

#ifdef _WIN32
using Native = SOCKET;
using AddressLength = int;
using PollEntry = WSAPOLLFD;
inline constexpr Native kNoSocket = INVALID_SOCKET;
#else
using Native = int;
using AddressLength = socklen_t;
using PollEntry = pollfd;
inline constexpr Native kNoSocket = -1;
#endif

// The system's error numbers, as LinkErrors carry them.
int LastError();
bool WouldBlock(int error);
bool Interrupted(int error);
bool InProgress(int error);  // a non-blocking connect under way
bool AddressInUse(int error);
int TimedOutError();
int CancelledError();
int RefusedError();
int NotASocketError();
std::string ErrorWords(int error);

// Flags for send and recv that never wait (and never raise SIGPIPE).
int NoWaitFlags();

// A non-blocking socket, not inherited by child processes; kNoSocket on
// failure (LastError says why).
Native OpenSocket(int family, int type, int protocol);
// 0, or the error closing reported.
int CloseSocket(Native s);
// The next connection waiting, non-blocking; kNoSocket when none.
Native AcceptNoWait(Native listener);
// poll() over `count` entries: how many are ready, 0 when the time ran out,
// -1 on failure (LastError says why).
int PollSockets(PollEntry* entries, std::size_t count, int timeoutMs);
// Waits up to `ms` for a connect in progress to end: nothing while it goes
// on, else 0 (connected) or the error it ended with.
std::optional<int> WaitConnect(Native s, int ms);

// TCP keepalive: probes after `idleSeconds` of silence, every
// `intervalSeconds`, so that a peer gone without a word (cable cut, power
// lost) ends the connection in idle + 10 x interval seconds. Best effort.
void KeepAlive(Native s, int idleSeconds, int intervalSeconds);

// Gives the connection up when what was sent stays unacknowledged for
// `seconds` (a peer gone from the network). Best effort.
void GiveUpUnacknowledged(Native s, int seconds);

// Asks for `bytes` of receive buffer before bind: what was granted (0 when
// the system does not say).
int PrepareToReceive(Native s, int bytes);
// Binds a datagram socket: no other program shares the port.
bool BindDatagram(Native s, const sockaddr_in& address);
// Binds a listener so that it can restart at once on the same port.
bool BindListener(Native s, const sockaddr_in& address);

// Waits for a socket to become readable, and lets another thread cut the
// wait short.
class ReadWaiter {
 public:
  enum class Outcome { Readable, Nothing, Failed };
  virtual ~ReadWaiter() = default;
  // Nothing: the time ran out or Wake was called; Failed: `error` says why.
  virtual Outcome Wait(int timeoutMs, int& error) = 0;
  virtual void Wake() = 0;
  // What the waiter holds; Wake after it does nothing.
  virtual void Close() = 0;
};
// A waiter on `s`; nothing when one could not be made (`error` says why).
std::unique_ptr<ReadWaiter> MakeReadWaiter(Native s, int& error);

}  // namespace ptpdiag::sockets
