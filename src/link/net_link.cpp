#include "link/net_link.h"

#include <chrono>
#include <span>

#include "link/poll_cycle.h"
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
// count is negative.
void ReceiveLoop(DiagnosticsStore& s, TcpConnection& connection, LinkThreadSignal& wake,
                 LinkThreadEvents& events) {
  bool ended = false;
  for (;;) {
    const std::int32_t held = s.LinkRingCount.load();
    if (held < 0) return;
    if (ended || held >= kTcpRingHighWater) {
      wake.Wait(ended ? kEndedWait : kFullRingWait);
      continue;
    }
    const TcpReceive got = connection.ReceiveByte(kTcpReceiveWaitMs);
    switch (got.Result) {
      case TcpReceive::Status::Byte:
        AppendToRing(s, std::span<const std::uint8_t>(&got.Value, 1));
        break;
      case TcpReceive::Status::Nothing:
        wake.Wait(kEmptyWait);
        break;
      case TcpReceive::Status::Closed:
        events.Post({kErrTcpPeerClosed, 0});
        ended = true;
        break;
      case TcpReceive::Status::Failed:
        events.Post(got.Error);
        ended = true;
        break;
    }
  }
}

void StopTcpLink(AppContext& app) {
  LinkState& link = app.Link;
  app.Store.LinkRingCount.store(kStopTcpThread);
  link.LinkThreadWake.Wake();
  if (link.TcpSocket) link.TcpSocket->Wake();
  if (link.LinkThreadHandle.joinable()) link.LinkThreadHandle.join();
  if (link.TcpSocket) {
    if (const auto error = link.TcpSocket->Close()) {
      LinkEventLine(app, error->Code, error->Extended);
    }
    link.TcpSocket.reset();
  }
  link.ThreadEvents.Take();  // a failure of the ended link no longer matters
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
    LinkEventLine(app, kErrTcpNoAddress, 0);
    return;
  }
  TcpConnectResult connected = link.Net->ConnectTcp(link.UdpAddress, *port, kTcpConnectTimeoutMs);
  if (!connected.Connection) {
    const LinkError error = connected.Error.value_or(LinkError{kErrTcpConnect, 0});
    LinkEventLine(app, error.Code, error.Extended);
    return;
  }
  link.TcpSocket = std::move(connected.Connection);
  EmptyRing(app.Store);
  link.ThreadEvents.Take();
  link.LinkThreadHandle = std::thread(ReceiveLoop, std::ref(app.Store), std::ref(*link.TcpSocket),
                                      std::ref(link.LinkThreadWake), std::ref(link.ThreadEvents));
  link.NetLinkMode = kNetLinkTcp;
}

void OpenUdp(AppContext& app) {
  LinkState& link = app.Link;
  if (link.Net == nullptr) {
    LinkEventLine(app, kErrUdpBind, 0);
    return;
  }
  UdpBindResult bound = link.Net->BindUdp(link.UdpListenPort);
  if (!bound.Socket) {
    const LinkError error = bound.Error.value_or(LinkError{kErrUdpBind, 0});
    LinkEventLine(app, error.Code, error.Extended);
    return;
  }
  link.UdpChannel = std::move(bound.Socket);
  app.Window.CurrentWindow->WatchSocket(link.UdpChannel->Handle(), WM_NETWORK_NOTIFY);
  link.NetLinkMode = kNetLinkUdp;
  EmptyRing(app.Store);
}

void CloseNetLink(AppContext& app) {
  if (app.Link.NetLinkMode == kNetLinkTcp) StopTcpLink(app);
  if (app.Link.NetLinkMode == kNetLinkUdp) CloseUdpLink(app);
  app.Link.NetLinkMode = kNetLinkNone;
}

LRESULT OnDatagramArrived(AppContext& app) {
  LinkState& link = app.Link;
  if (link.NetLinkMode != kNetLinkUdp || !link.UdpChannel) return 0;
  const Datagram datagram = link.UdpChannel->Receive();
  if (datagram.Error) {
    LinkEventLine(app, datagram.Error->Code, datagram.Error->Extended);
    return 0;
  }
  if (!datagram.Received) return 0;
  // A datagram that does not fit is dropped whole: cut, it would put the
  // frames behind it out of step.
  if (datagram.Bytes.size() > static_cast<std::size_t>(RingRoom(app.Store))) {
    LinkEventLine(app, kErrRingOverflow, static_cast<std::int32_t>(datagram.Bytes.size()));
    return 0;
  }
  AppendToRing(app.Store, datagram.Bytes);
  return 0;
}

void ReportLinkThreadEvents(AppContext& app) {
  if (app.Link.NetLinkMode != kNetLinkTcp) return;
  if (const auto error = app.Link.ThreadEvents.Take()) {
    LinkEventLine(app, error->Code, error->Extended);
  }
}

}  // namespace ptpdiag
