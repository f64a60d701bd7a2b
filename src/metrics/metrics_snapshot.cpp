#include "metrics/metrics_snapshot.h"

#include <chrono>

#include "link/link_words.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

void DescribeLink(const AppContext& app, MetricsSnapshot& m) {
  const LinkState& link = app.Link;
  if (link.CommOpen == 1) {
    m.LinkKind = "serial";
    m.LinkPort = link.CommPortName;
  } else if (link.NetLinkMode == NetLink::Tcp) {
    m.LinkKind = "tcp";
    m.LinkPort = TcpTarget(app);
  } else if (link.NetLinkMode == NetLink::Udp) {
    m.LinkKind = "udp";
    const std::uint16_t bound = link.UdpChannel ? link.UdpChannel->LocalPort() : 0;
    m.LinkPort = std::to_string(bound != 0 ? bound : link.UdpListenPort);
  }
  if (LinkIsOpen(link) && link.LastFrameMs) {
    m.SecondsSinceGoodFrame = (app.SystemClock.MonotonicMs() - *link.LastFrameMs) / 1000.0;
  }
}

}  // namespace

MetricsSnapshot TakeMetricsSnapshot(const AppContext& app, const std::string& version) {
  const DiagnosticsStore& s = app.Store;
  MetricsSnapshot m;
  m.Version = version;
  m.TickUnixMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::system_clock::now().time_since_epoch())
                     .count();
  DescribeLink(app, m);
  m.Recording = app.Link.Recorder != nullptr;
  m.Tally = app.Link.Tally;
  m.HasValues = m.Tally.FramesGood > 0;
  // The header shows level bytes; in dBm they are negative.
  m.SignalDbm = -static_cast<double>(s.ShownSignal);
  m.NoiseDbm = -static_cast<double>(s.ShownNoise);
  m.Vswr = s.ShownVswr;
  m.CurrentAmperes = s.ShownCurrent / 1000.0;
  m.ReceivedRatio = s.RcvdRateSmooth / 100.0;
  m.LongestMissedRun = s.ShownMaxMissed;
  m.HistorySlots = s.HistIndex;
  for (std::size_t i = 0; i < app.Alarms.Rules().size(); ++i) {
    m.Alarms.push_back({app.Alarms.Rules()[i].Name, app.Alarms.Active(i), app.Alarms.Transitions(i)});
  }
  if (s.HistIndex >= 1) m.LastSlot = FiguresOfSlot(s, s.HistIndex);
  for (int c = kFirstShownChannel; c <= kLastShownChannel; ++c) {
    const ChannelFigures f = FiguresOfChannel(s, c);
    if (f.Reached) m.Channels.emplace_back(c, f);
  }
  m.Alignment = app.Alignment.Figures();
  m.Tone = app.ToneNow;
  return m;
}

}  // namespace ptpdiag
