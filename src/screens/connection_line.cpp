#include "screens/connection_line.h"

#include <algorithm>
#include <filesystem>

#include "link/capture_recorder.h"
#include "link/link_words.h"
#include "link/recording.h"
#include "screens/text_grid.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

constexpr Rgb kConnectionBlue{0, 0, 128};
constexpr Rgb kAlertRed{208, 0, 0};
constexpr std::string_view kOpened = "  Opened";

// "HOST:PORT" cut in the middle of the host so that `fixed` more columns
// fit in `room`; the port is what tells links apart, so it stays.
std::string FitTarget(std::string target, std::size_t fixed, std::size_t room) {
  if (fixed + target.size() <= room) return target;
  const std::size_t colon = target.rfind(':');
  const std::string port = colon == std::string::npos ? "" : target.substr(colon);
  if (room < fixed + port.size() + 2) return target;  // cut where the line is drawn
  const std::size_t keep = room - fixed - port.size() - 2;
  return target.substr(0, std::min(keep, colon)) + ".." + port;
}

std::string SecondsLeft(std::int64_t ms) {
  return std::to_string((ms + 999) / 1000) + " s";
}

// What a failed try or an ended connection is called on the line.
std::string_view FailureWord(const LinkError& error) {
  switch (error.Code) {
    case kErrTcpConnect:
      return error.Reason == LinkReason::Refused ? "refused" : "unreachable";
    case kErrTcpTimeout:
      return "no answer";
    case kErrTcpResolve:
      return "not found";
    case kErrTcpPeerClosed:
      return "closed by the radio";
    case kErrTcpReceive:
      return "receive failed";
    default:
      return "failed";
  }
}

// After "TCP HOST:PORT": how the link stands.
std::string TcpPhaseText(const AppContext& app) {
  const TcpProgress& tcp = app.Link.Tcp;
  const std::int64_t left = tcp.RetryAtMs - app.SystemClock.MonotonicMs();
  switch (tcp.Now) {
    case TcpProgress::Phase::Connected:
      return std::string(kOpened);
    case TcpProgress::Phase::Ended:
      return "  " + std::string(FailureWord(tcp.LastFailure));
    case TcpProgress::Phase::Waiting:
      if (left > 0) {
        return "  " + std::string(FailureWord(tcp.LastFailure)) + ", retry in " + SecondsLeft(left);
      }
      break;
    case TcpProgress::Phase::Connecting:
      break;
  }
  return "  connecting";
}

std::string UdpState(const AppContext& app) {
  const LinkState& link = app.Link;
  const std::uint16_t port = link.UdpChannel && link.UdpChannel->LocalPort() != 0
                                 ? link.UdpChannel->LocalPort()
                                 : link.UdpListenPort;
  std::string state = "UDP " + std::to_string(port) + std::string(kOpened);
  if (link.DemoPort == port) state += "  (demo radio)";
  return state;
}

std::string SerialState(const LinkState& link) {
  if (link.CommHandle == nullptr && link.CommReopen.Active) {
    return link.CommPortName + "  device gone, waiting for it";
  }
  if (link.CommDeviceGone) return link.CommPortName + "  device gone";
  return link.CommPortName + std::string(kOpened);
}

// Frames can come: the only state in which a quiet link is news.
bool BytesCanCome(const LinkState& link) {
  if (link.CommOpen == 1) return link.CommHandle != nullptr && !link.CommDeviceGone;
  if (link.NetLinkMode == NetLink::Tcp) return link.Tcp.Now == TcpProgress::Phase::Connected;
  return link.NetLinkMode == NetLink::Udp;
}

}  // namespace

ConnectionLine DescribeConnection(const AppContext& app) {
  const LinkState& link = app.Link;
  ConnectionLine line;
  line.Recording = IsRecording(app);
  if (!LinkIsOpen(link)) {
    line.State = "No Connection";
    return line;
  }
  if (link.LastFrameMs && BytesCanCome(link)) {
    const std::int64_t quiet = app.SystemClock.MonotonicMs() - *link.LastFrameMs;
    if (quiet >= kStaleAfterMs) line.Stale = "  no data " + std::to_string(quiet / 1000) + " s";
  }
  const std::size_t room = kConnectionStateColumns - line.Stale.size();
  if (link.CommOpen == 1) {
    line.State = SerialState(link);
  } else if (link.NetLinkMode == NetLink::Udp) {
    line.State = UdpState(app);
  } else {
    const std::string phase = TcpPhaseText(app);
    line.State = "TCP " + FitTarget(TcpTarget(app), 4 + phase.size(), room) + phase;
  }
  return line;
}

void ShowRecordingNote(AppContext& app) {
  const CaptureRecorder* recorder = app.Link.Recorder;
  std::string note =
      recorder == nullptr ? "" : "REC " + std::filesystem::path(recorder->Path()).filename().string();
  if (app.Reference) note += (note.empty() ? "" : "  ") + std::string("vs ") + app.Reference->Name;
  ShowStatusNote(app.Window, note);
}

void DrawConnectionLine(AppContext& app) {
  ShowRecordingNote(app);
  WindowState& w = app.Window;
  const Rgb colour = w.ScreenDC.TextColor();
  const ConnectionLine line = DescribeConnection(app);
  w.TextRect = w.ClientRect;
  w.TextRect.bottom -= 24;
  // Whatever the texts, the mark keeps its place.
  const std::size_t markAt = static_cast<std::size_t>(kRecordMarkColumn) - 1;
  const std::string state = line.State.substr(0, markAt);
  const std::string stale = line.Stale.substr(0, markAt - state.size());
  w.ScreenDC.SetTextColor(kConnectionBlue);
  PrintAtCursor(w, state);
  if (!stale.empty()) {
    w.ScreenDC.SetTextColor(kAlertRed);
    PrintAtCursor(w, stale);
  }
  const std::size_t used = state.size() + stale.size();
  if (used < markAt) PrintAtCursor(w, std::string(markAt - used, ' '));
  w.ScreenDC.SetTextColor(kAlertRed);
  PrintAtCursor(w, line.Recording ? "REC " : "    ");
  w.ScreenDC.SetTextColor(colour);
}

}  // namespace ptpdiag
