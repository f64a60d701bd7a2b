#include "link/net_link.h"

#include <algorithm>
#include <chrono>
#include <span>

#include "link/diag_frame.h"
#include "link/link_words.h"
#include "link/link_events.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

constexpr std::int32_t kStopTcpThread = -1000;
constexpr std::chrono::milliseconds kEmptyWait{10};
// While the ring is nearly full: long enough not to spin, short enough to
// refill it well within a 250 ms poll period.
constexpr std::chrono::milliseconds kFullRingWait{2};
// After the peer closed or the socket failed there is nothing to read
// until the link is closed.
constexpr std::chrono::milliseconds kEndedWait{250};

// Appends the connection's bytes to the ring, one at a time, until the
// peer closes, the socket fails (that failure is returned) or the count is
// negative (nothing is returned). `spotter` sees every byte.
std::optional<LinkError> ReceiveUntilEnd(DiagnosticsStore& s, TcpConnection& connection,
                                         LinkThreadSignal& wake, FrameSpotter& spotter) {
  for (;;) {
    const std::int32_t held = s.LinkRingCount.load();
    if (held < 0) return std::nullopt;
    if (held >= kTcpRingHighWater) {
      wake.Wait(kFullRingWait);
      continue;
    }
    const TcpReceive got = connection.ReceiveByte(kTcpReceiveWaitMs);
    switch (got.Result) {
      case TcpReceive::Status::Byte:
        AppendToRing(s, std::span<const std::uint8_t>(&got.Value, 1));
        spotter.Feed(got.Value);
        break;
      case TcpReceive::Status::Nothing:
        wake.Wait(kEmptyWait);
        break;
      case TcpReceive::Status::Closed:
        return LinkError{kErrTcpPeerClosed, 0};
      case TcpReceive::Status::Failed:
        return got.Error;
    }
  }
}

// The link as it has always been: one connection; when it ends, one event
// and nothing more until the link is closed.
void ReceiveLoop(DiagnosticsStore& s, TcpConnection& connection, LinkThreadSignal& wake,
                 LinkThreadEvents& events) {
  FrameSpotter unused;
  if (const auto ended = ReceiveUntilEnd(s, connection, wake, unused)) events.Post(*ended);
  while (!LinkThreadStopRequested(s))
    wake.Wait(kEndedWait);
}

bool Stopping(const DiagnosticsStore& s) {
  return LinkThreadStopRequested(s);
}

// Waits `ms`, ending early only for the stop request.
void Pause(const DiagnosticsStore& s, LinkThreadSignal& wake, std::int64_t ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!Stopping(s)) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        until - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    wake.Wait(left);
  }
}

struct TcpTargetAddress {
  std::string Host;
  std::uint16_t Port = 0;
};

// The link that comes back: connects in the background (the window never
// waits for a connect), receives until the connection ends, and tries
// again after 1, 2, 4, 8, 16, then every 30 s, until the stop request.
// The waits start again from 1 s only after a connection that carried a
// frame: a server that accepts and closes is tried no more often than one
// that refuses. Each failed try and each end is one piece of news; so is
// each connection, with how long the link was down.
void ReconnectingLoop(DiagnosticsStore& s, Network& net, TcpTargetAddress target,
                      LinkThreadSignal& wake, LinkThreadEvents& events) {
  using Clock = std::chrono::steady_clock;
  const auto stopping = [&s] { return Stopping(s); };
  int tries = 0;
  std::optional<Clock::time_point> downSince;
  while (!stopping()) {
    TcpConnectResult connected =
        net.ConnectTcp(target.Host, target.Port, kTcpConnectTimeoutMs, stopping);
    if (stopping()) return;
    if (!connected.Connection) {
      const std::int64_t delay = RetryDelayMs(tries++);
      events.Post(connected.Error.value_or(LinkError{kErrTcpConnect, 0}), delay);
      Pause(s, wake, delay);
      continue;
    }
    const std::int64_t downMs =
        downSince ? std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *downSince)
                        .count()
                  : 0;
    events.Post(LinkNews{
        .What = LinkNews::Kind::Connected, .Error = {}, .RetryInMs = -1, .DownMs = downMs});
    TcpConnection& connection = *connected.Connection;
    wake.SetWakeHook([&connection] { connection.Wake(); });
    FrameSpotter spotter;
    const std::optional<LinkError> ended = ReceiveUntilEnd(s, connection, wake, spotter);
    wake.SetWakeHook(nullptr);
    static_cast<void>(connection.Close());
    if (!ended) return;
    if (spotter.Spotted()) tries = 0;
    const std::int64_t delay = RetryDelayMs(tries++);
    events.Post(*ended, delay);
    downSince = Clock::now();
    Pause(s, wake, delay);
  }
}

void StopTcpLink(AppContext& app) {
  LinkState& link = app.Link;
  RequestLinkThreadStop(app.Store, kStopTcpThread);
  link.LinkThreadWake.Wake();
  if (link.TcpSocket) link.TcpSocket->Wake();
  if (link.LinkThreadHandle.joinable()) link.LinkThreadHandle.join();
  if (link.TcpSocket) {
    if (const auto error = link.TcpSocket->Close()) ReportLinkError(app, *error);
    link.TcpSocket.reset();
  }
  link.ThreadEvents.Clear();  // what the ended link saw no longer matters
}

void CloseUdpLink(AppContext& app) {
  LinkState& link = app.Link;
  if (!link.UdpChannel) return;
  if (app.Window.CurrentWindow != nullptr) {
    app.Window.CurrentWindow->UnwatchSocket(link.UdpChannel->Handle());
  }
  link.UdpChannel->Close();
  link.UdpChannel.reset();
}

}  // namespace

std::optional<std::uint16_t> TcpPortNumber(std::string_view text) {
  std::size_t i = text.find_first_not_of(' ');
  if (i == std::string_view::npos) return std::nullopt;
  std::uint32_t value = 0;
  bool any = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
    any = true;
    if (value > 65535) return std::nullopt;
  }
  if (!any || value == 0) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

void ConnectTcp(AppContext& app) {
  LinkState& link = app.Link;
  const std::optional<std::uint16_t> port = TcpPortNumber(link.UdpPort);
  if (link.UdpAddress.empty() || !port || link.Net == nullptr) {
    ReportLinkError(app, LinkError{kErrTcpNoAddress, 0});
    return;
  }
  link.ThreadEvents.Clear();
  link.Tcp = TcpProgress{};
  if (link.Reconnect) {
    EmptyRing(app.Store);
    link.LinkThreadHandle = std::thread(ReconnectingLoop, std::ref(app.Store), std::ref(*link.Net),
                                        TcpTargetAddress{link.UdpAddress, *port},
                                        std::ref(link.LinkThreadWake), std::ref(link.ThreadEvents));
    link.NetLinkMode = NetLink::Tcp;
    link.LastFrameMs = app.SystemClock.MonotonicMs();
    return;
  }
  TcpConnectResult connected = link.Net->ConnectTcp(link.UdpAddress, *port, kTcpConnectTimeoutMs);
  if (!connected.Connection) {
    ReportLinkError(app, connected.Error.value_or(LinkError{kErrTcpConnect, 0}));
    return;
  }
  link.TcpSocket = std::move(connected.Connection);
  link.Tcp.Now = TcpProgress::Phase::Connected;
  EmptyRing(app.Store);
  link.LinkThreadHandle = std::thread(ReceiveLoop, std::ref(app.Store), std::ref(*link.TcpSocket),
                                      std::ref(link.LinkThreadWake), std::ref(link.ThreadEvents));
  link.NetLinkMode = NetLink::Tcp;
  link.LastFrameMs = app.SystemClock.MonotonicMs();
}

void OpenUdp(AppContext& app) {
  LinkState& link = app.Link;
  if (link.Net == nullptr) {
    ReportLinkError(app, LinkError{kErrUdpBind, 0});
    return;
  }
  UdpBindResult bound = link.Net->BindUdp(link.UdpListenPort);
  if (!bound.Socket) {
    ReportLinkError(app, bound.Error.value_or(LinkError{kErrUdpBind, 0}));
    return;
  }
  link.UdpChannel = std::move(bound.Socket);
  app.Window.CurrentWindow->WatchSocket(link.UdpChannel->Handle(), WM_NETWORK_NOTIFY);
  link.NetLinkMode = NetLink::Udp;
  EmptyRing(app.Store);
  link.LastFrameMs = app.SystemClock.MonotonicMs();
}

void CloseNetLink(AppContext& app) {
  if (app.Link.NetLinkMode == NetLink::Tcp) StopTcpLink(app);
  if (app.Link.NetLinkMode == NetLink::Udp) CloseUdpLink(app);
  if (app.Link.NetLinkMode != NetLink::None) app.Link.LastFrameMs.reset();
  app.Link.NetLinkMode = NetLink::None;
}

LRESULT OnDatagramArrived(AppContext& app) {
  LinkState& link = app.Link;
  if (link.NetLinkMode != NetLink::Udp || !link.UdpChannel) return 0;
  const Datagram datagram = link.UdpChannel->Receive();
  if (datagram.Error) {
    ReportLinkError(app, *datagram.Error);
    return 0;
  }
  if (!datagram.Received) return 0;
  // A datagram that does not fit is dropped whole: cut, it would put the
  // frames behind it out of step.
  if (datagram.Bytes.size() > static_cast<std::size_t>(RingRoom(app.Store))) {
    ReportLinkError(app,
                    LinkError{kErrRingOverflow, static_cast<std::int32_t>(datagram.Bytes.size())});
    return 0;
  }
  AppendToRing(app.Store, datagram.Bytes);
  return 0;
}

void ReportLinkThreadEvents(AppContext& app) {
  LinkState& link = app.Link;
  if (link.NetLinkMode != NetLink::Tcp) return;
  while (const std::optional<LinkNews> news = link.ThreadEvents.Take()) {
    const std::int64_t now = app.SystemClock.MonotonicMs();
    if (news->What == LinkNews::Kind::Failure) {
      link.Tcp.LastFailure = news->Error;
      link.Tcp.Now = news->RetryInMs >= 0 ? TcpProgress::Phase::Waiting : TcpProgress::Phase::Ended;
      link.Tcp.RetryAtMs = now + std::max<std::int64_t>(news->RetryInMs, 0);
      CountLinkEvent(app, news->Error.Code, news->Error.Extended);
      std::string words = LinkEventWords(app, news->Error);
      if (news->RetryInMs >= 0)
        words += "; trying again in " + std::to_string((news->RetryInMs + 999) / 1000) + " s";
      SayLinkNews(app, std::move(words));
    } else {
      link.Tcp.Now = TcpProgress::Phase::Connected;
      link.LastFrameMs = now;  // quiet is counted from the connection
      SayLinkNews(app, TcpConnectedWords(app, news->DownMs));
    }
  }
}

}  // namespace ptpdiag
