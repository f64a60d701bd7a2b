#include "screens/connection_line.h"

#include "link/link_words.h"
#include "screens/text_grid.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

constexpr Rgb kConnectionBlue{0, 0, 128};
constexpr Rgb kStaleRed{208, 0, 0};
constexpr std::string_view kOpened = "  Opened";

std::string NetworkState(const AppContext& app, std::size_t room) {
  const LinkState& link = app.Link;
  if (link.NetLinkMode == kNetLinkUdp) {
    const std::uint16_t port = link.UdpChannel && link.UdpChannel->LocalPort() != 0
                                   ? link.UdpChannel->LocalPort()
                                   : link.UdpListenPort;
    return "UDP " + std::to_string(port) + std::string(kOpened);
  }
  std::string target = TcpTarget(app);
  const std::size_t fixed = std::string_view("TCP ").size() + kOpened.size();
  if (fixed + target.size() > room && room > fixed + 2) {
    // The port is what tells links apart: the address gives way.
    const std::size_t colon = target.rfind(':');
    const std::string port = colon == std::string::npos ? "" : target.substr(colon);
    const std::size_t keep = room - fixed - port.size() - 2;
    target = target.substr(0, std::min(keep, colon)) + ".." + port;
  }
  return "TCP " + target + std::string(kOpened);
}

}  // namespace

ConnectionLine DescribeConnection(const AppContext& app) {
  const LinkState& link = app.Link;
  ConnectionLine line;
  if (!LinkIsOpen(link)) {
    line.State = "No Connection";
    return line;
  }
  if (link.LastFrameMs) {
    const std::int64_t quiet = app.SystemClock.MonotonicMs() - *link.LastFrameMs;
    if (quiet >= kStaleAfterMs) line.Stale = "  no data " + std::to_string(quiet / 1000) + " s";
  }
  const std::size_t room = kConnectionColumns - line.Stale.size();
  line.State =
      link.CommOpen == 1 ? link.CommPortName + std::string(kOpened) : NetworkState(app, room);
  return line;
}

void DrawConnectionLine(AppContext& app) {
  WindowState& w = app.Window;
  const Rgb colour = w.ScreenDC.TextColor();
  const ConnectionLine line = DescribeConnection(app);
  w.TextRect = w.ClientRect;
  w.TextRect.bottom -= 24;
  w.ScreenDC.SetTextColor(kConnectionBlue);
  PrintAtCursor(w, line.State);
  if (!line.Stale.empty()) {
    w.ScreenDC.SetTextColor(kStaleRed);
    PrintAtCursor(w, line.Stale);
  }
  const std::size_t used = line.State.size() + line.Stale.size();
  if (used < kConnectionColumns) PrintAtCursor(w, std::string(kConnectionColumns - used, ' '));
  w.ScreenDC.SetTextColor(colour);
}

}  // namespace ptpdiag
