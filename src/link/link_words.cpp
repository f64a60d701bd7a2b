#include "link/link_words.h"

#include "link/net_link.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

std::string UdpPortText(const AppContext& app) {
  const LinkState& link = app.Link;
  const std::uint16_t port = link.UdpChannel && link.UdpChannel->LocalPort() != 0
                                 ? link.UdpChannel->LocalPort()
                                 : link.UdpListenPort;
  return std::to_string(port);
}

std::string Seconds(std::int64_t ms) {
  return std::to_string((ms + 500) / 1000) + " s";
}

}  // namespace

std::string TcpTarget(const AppContext& app) {
  const std::optional<std::uint16_t> port = TcpPortNumber(app.Link.UdpPort);
  return app.Link.UdpAddress + ":" + (port ? std::to_string(*port) : app.Link.UdpPort);
}

std::string OpenLinkName(const AppContext& app) {
  const LinkState& link = app.Link;
  if (link.CommOpen == 1) return "serial port " + link.CommPortName;
  if (link.NetLinkMode == NetLink::Tcp) return "TCP " + TcpTarget(app);
  if (link.NetLinkMode != NetLink::Udp) return {};
  return "UDP port " + std::to_string(link.UdpListenPort) + (link.DemoPort ? ", demo radio" : "");
}

std::string LinkEventWords(const AppContext& app, const LinkError& error) {
  const std::string tcp = "TCP: " + TcpTarget(app);
  const std::string serial = "Serial: " + app.Link.CommPortName;
  switch (error.Code) {
    case kErrUdpShortfall:
      return "UDP: fewer bytes were waiting than the poll cycle asked for";
    case kErrTcpNoAddress:
      return "TCP: no address or port to connect to";
    case kErrTcpResolve:
      return "TCP: the address " + app.Link.UdpAddress + " cannot be found";
    case kErrTcpConnect:
      return error.Reason == LinkReason::Refused ? tcp + " refused the connection"
                                                 : tcp + " cannot be reached";
    case kErrTcpTimeout:
      return tcp + " did not answer within " + std::to_string(error.Extended) + " s";
    case kErrTcpPeerClosed:
      return tcp + " closed the connection";
    case kErrTcpReceive:
      return error.Reason == LinkReason::Silent ? tcp + " stopped answering (gone without a word)"
                                                : tcp + ": receiving failed";
    case kErrTcpClose:
      return tcp + ": closing the connection failed";
    case kErrUdpBind:
      return error.Reason == LinkReason::InUse
                 ? "UDP: port " + UdpPortText(app) +
                       " is in use by another program; --udp-port N listens on another"
                 : "UDP: port " + UdpPortText(app) + " cannot be opened";
    case kErrUdpReceive:
      return "UDP: receiving a datagram failed";
    case kErrRingOverflow:
      return "UDP: a datagram of " + std::to_string(error.Extended) +
             " bytes was dropped; the radio sends faster than the program reads";
    case kErrSerialRead:
      return serial + ": reading failed";
    case kErrSerialGone:
      return serial + " went away (adapter unplugged?)";
    case kErrRecordWrite:
      return "Recording: the capture file cannot be written; recording has stopped";
    default:
      return "Link event " + std::to_string(error.Code);
  }
}

std::string TcpConnectedWords(const AppContext& app, std::int64_t downMs) {
  if (downMs <= 0) return "TCP: connected to " + TcpTarget(app);
  return "Reconnected to " + TcpTarget(app) + " after " + Seconds(downMs);
}

std::string SerialReopenedWords(const AppContext& app, std::int64_t downMs) {
  return "Reconnected to " + app.Link.CommPortName + " after " + Seconds(downMs);
}

void SayLinkNews(AppContext& app, std::string text) {
  app.Link.EventLog.Write(text, app.SystemClock.MonotonicMs());
  if (app.Window.MenuHelpShown) return;
  ShowStatusText(app.Window, std::move(text));
}

}  // namespace ptpdiag
