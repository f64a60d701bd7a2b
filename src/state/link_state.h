// Which link is open, the settings the link commands use, and the open
// link's port or sockets and thread.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/byte_source.h"
#include "platform/network.h"
#include "platform/serial_port.h"
#include "state/link_event_log.h"
#include "state/link_view.h"
#include "state/link_thread.h"

namespace ptpdiag {

class CaptureRecorder;

// Which network link is open; the numbers are the program's own (0, 1, 2).
enum class NetLink : std::int32_t { None = 0, Tcp = 1, Udp = 2 };

// Running totals for monitoring, since the program started (never reset).
struct LinkTally {
  std::uint64_t FramesGood = 0;
  std::uint64_t FramesFailedCheck = 0;
  std::uint64_t FramesIgnoredChannel = 0;  // passed the check, named no channel
  std::map<std::int32_t, std::uint64_t> EventsByType;
};

// The radio's datagrams arrive on this local port.
inline constexpr std::uint16_t kUdpLinkPort = 4131;

// A serial port whose device went away, while it is tried again.
struct SerialReopening {
  bool Active = false;
  std::int64_t GoneAtMs = 0;  // monotonic
  std::int64_t NextTryMs = 0;
  int Tries = 0;
};

// Where a TCP link stands, for the footer: the thread connects in the
// background, so "open" alone does not say whether bytes can come.
struct TcpProgress {
  enum class Phase {
    Connecting,  // a connect is under way (or due)
    Connected,
    Waiting,  // the last try failed or the connection ended; retried at RetryAtMs
    Ended,    // ended for good (no reconnect): down until closed
  };
  Phase Now = Phase::Connecting;
  LinkError LastFailure;
  std::int64_t RetryAtMs = 0;  // monotonic
};

struct LinkState {
  std::int32_t CommOpen = 0;
  std::string CommPortName;
  NetLink NetLinkMode = NetLink::None;
  std::int32_t TimerBusy = 0;
  std::string UdpPassword;
  std::string UdpAddress;
  std::string UdpPort;
  std::uint16_t UdpListenPort = kUdpLinkPort;
  // A TCP link that drops or fails to connect, and a serial port whose
  // device went away, are tried again in the background; off, they stay
  // down until the user opens them again.
  bool Reconnect = false;

  // What opens ports and sockets (not owned; null where there is none).
  SerialDriver* Serial = nullptr;
  Network* Net = nullptr;

  // The open link. At most one of these is set.
  std::unique_ptr<SerialPort> CommHandle;
  std::unique_ptr<TcpConnection> TcpSocket;
  std::unique_ptr<UdpSocket> UdpChannel;
  // The serial transmit thread or the TCP receive thread.
  std::thread LinkThreadHandle;
  LinkThreadSignal LinkThreadWake;
  LinkThreadEvents ThreadEvents;
  // How the serial port is found again after its device went away, and
  // the tries so far.
  std::string CommIdentity;
  SerialReopening CommReopen;
  // The open port's device is gone and no reopen is tried (no Reconnect);
  // cleared when the port answers again.
  bool CommDeviceGone = false;
  TcpProgress Tcp;
  // The UDP port the program's own demo radio sends to, while it runs.
  std::optional<std::uint16_t> DemoPort;
  // The link the session was started on, in words ("UDP port 4131"), for
  // the reports; kept after it closes.
  std::string SessionLinkName;
  // Link events in words also go here (headless runs); by default nowhere.
  LinkEventLog EventLog;
  // Who sees the link while a timer tick runs (not owned; null between
  // ticks).
  LinkView* View = nullptr;
  // Monotonic ms when a frame last passed its check, or when the link
  // opened (connected, for TCP); nothing while no link is open.
  std::optional<std::int64_t> LastFrameMs;

  // A replayed capture; read while no link is open (not owned).
  ByteSource* ReplayFeed = nullptr;
  // Takes every byte the poll cycle receives (may be null).
  CaptureRecorder* Recorder = nullptr;
  // The recording the program started (--record, the Record command);
  // Recorder points at it while it runs.
  std::shared_ptr<CaptureRecorder> OwnedRecorder;

  LinkTally Tally;
};

// The serial port or a network link is open.
inline bool LinkIsOpen(const LinkState& link) {
  return link.CommOpen == 1 || link.NetLinkMode != NetLink::None;
}

}  // namespace ptpdiag
