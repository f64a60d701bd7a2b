#include "app/live_session.h"

#include <cstring>
#include <iostream>
#include <ostream>

#include "app/outputs.h"
#include "link/capture_recorder.h"
#include "link/link_words.h"
#include "link/recording.h"
#include "metrics/access_token.h"
#include "metrics/http_request.h"
#include "metrics/metrics_server.h"
#include "platform/host_port.h"
#include "shell/link_commands.h"
#include "sim/live_streamer.h"
#include "sim/udp_sink.h"
#include "state/app_context.h"
#include "version.h"

namespace ptpdiag {
namespace {

constexpr char kLoopback[] = "127.0.0.1";

PortMappings Mappings(const Options& options) {
  PortMappings mappings;
  for (const auto& [name, device] : options.PortMap)
    mappings[name] = device;
  // A device path given to --serial is known as Com1.
  if (options.SerialPort && !CommPortName(*options.SerialPort)) {
    mappings["Com1"] = *options.SerialPort;
  }
  return mappings;
}

std::string LinkEventText(const AppContext& app) {
  return "link event type " + std::to_string(app.Store.LinkEventType) + ", value " +
         std::to_string(app.Store.LinkEventValue);
}

std::unique_ptr<sim::LiveStreamer> StartDemoRadio(Network& network, std::uint16_t port,
                                                  std::string& error) {
  sim::GeneratorSettings settings;
  settings.HopsPerSecond = kDemoHopsPerSecond;
  // Something for the channel quality screen to find: a gentle periodic
  // interferer on a few channels.
  settings.Interferers.push_back(sim::Interferer{70, 73, 0.25, 20.0, -92.0});
  std::unique_ptr<sim::UdpSink> sink =
      sim::UdpSink::Open(network, {HostPort{kLoopback, port}}, error);
  if (!sink) {
    error = "the demo radio cannot start: " + error;
    return nullptr;
  }
  auto demo = std::make_unique<sim::LiveStreamer>(settings, std::move(sink));
  if (demo->SetupError()) {
    error = "the demo radio cannot start: " + *demo->SetupError();
    return nullptr;
  }
  demo->Start();
  return demo;
}

// The demo listens where a radio's datagrams would come, unless another
// program has that port and none was asked for: then on a free one.
std::uint16_t DemoListenPort(Network& network, std::uint16_t wanted, bool asked) {
  if (asked) return wanted;
  UdpBindResult probe = network.BindUdp(wanted);
  if (probe.Socket || !probe.Error || probe.Error->Reason != LinkReason::InUse) return wanted;
  UdpBindResult free = network.BindUdp(0);
  if (!free.Socket) return wanted;
  const std::uint16_t port = free.Socket->LocalPort();
  free.Socket->Close();
  std::cerr << "ptpdiag: UDP port " << wanted << " is in use; the demo radio uses port " << port
            << "\n";
  return port != 0 ? port : wanted;
}

}  // namespace

LiveSession::LiveSession() = default;
LiveSession::~LiveSession() = default;

bool LiveSession::Prepare(AppContext& app, const Options& options, AppBackend& backend,
                          std::string& error) {
  serial_ = backend.MakeSerialDriver(Mappings(options));
  network_ = backend.MakeNetwork();
  app.Link.Serial = serial_.get();
  app.Link.Net = network_.get();
  app.Link.Reconnect = !options.NoReconnect;
  if (options.UdpListenPort) app.Link.UdpListenPort = *options.UdpListenPort;
  if (options.RecordFile) {
    auto recorder = CaptureRecorder::Create(*options.RecordFile, error);
    if (!recorder) return false;
    AdoptRecording(app, std::move(*recorder), false);
  }
  if (options.MetricsHost) return StartServer(app, options, error);
  return true;
}

// The token goes to standard output only, in the one line a user copies;
// the line on standard error, which logs keep, goes without it.
bool LiveSession::StartServer(AppContext& app, const Options& options, std::string& error) {
  MetricsLimits limits;
  if (options.Token) limits.Token = *options.Token == "auto" ? RandomToken() : *options.Token;
  std::string why;
  metrics_ = MetricsServer::Start(*network_, *options.MetricsHost, options.MetricsPort, why, limits);
  if (!metrics_) {
    error = "cannot serve metrics on " + *options.MetricsHost + ":" + std::to_string(options.MetricsPort) + ": " + why;
    return false;
  }
  const std::string base = "http://" + *options.MetricsHost + ":" + std::to_string(metrics_->Port());
  std::cerr << "ptpdiag: metrics at " << base << "/metrics\n";
  if (options.Serve) {
    app.WebViewUrl = base + "/" + (limits.Token.empty() ? "" : "?token=" + limits.Token);
    std::cout << "ptpdiag: web view at " << app.WebViewUrl << std::endl;
  }
  return true;
}

bool LiveSession::OpenLink(AppContext& app, BackedWindow& window, const Options& options,
                           std::string& error) {
  const bool opened = OpenAskedLink(app, window, options, error);
  app.Link.SessionLinkName = OpenLinkName(app);
  if (app.Link.Recorder != nullptr) app.Link.Recorder->NoteLink(app.Link.SessionLinkName);
  return opened;
}

bool LiveSession::OpenAskedLink(AppContext& app, BackedWindow& window, const Options& options,
                                std::string& error) {
  const auto command = [&window](std::uint16_t id) { window.Send(WM_COMMAND, id, 0); };
  if (options.SerialPort) {
    ChangeCommPort(app, CommPortName(*options.SerialPort).value_or("Com1"));
    command(IDM_OPEN_COMM);
    if (app.Link.CommOpen == 1) return true;
    error = "the serial link on " + app.Link.CommPortName + " did not open";
    return false;
  }
  if (options.TcpTarget) {
    const SplitAddress target = *SplitHostPort(*options.TcpTarget);
    app.Link.UdpAddress = target.Host;
    app.Link.UdpPort = target.Port;
    command(IDM_CONNECT_TCP);
    if (app.Link.NetLinkMode == NetLink::Tcp) return true;
    error = "the TCP link to " + *options.TcpTarget + " did not open: " + LinkEventText(app);
    return false;
  }
  if (!options.Udp && !options.Demo) return true;
  if (options.Demo) {
    app.Link.UdpListenPort =
        DemoListenPort(*network_, app.Link.UdpListenPort, options.UdpListenPort.has_value());
    demo_ = StartDemoRadio(*network_, app.Link.UdpListenPort, error);
    if (!demo_) return false;
    app.Link.DemoPort = app.Link.UdpListenPort;
  }
  OpenUdpLink(app, false);
  if (app.Link.NetLinkMode == NetLink::Udp) return true;
  error = "the UDP link on port " + std::to_string(app.Link.UdpListenPort) +
          " did not open: " + LinkEventText(app) + " (" +
          network_->ErrorText(app.Store.LinkEventValue) + ")";
  return false;
}

void LiveSession::PublishMetrics(AppContext& app, BackedWindow& window) {
  if (!metrics_) return;
  metrics_->Publish(TakeMetricsSnapshot(app, PTPDIAG_VERSION));
  const unsigned asked = metrics_->TakeScreensAsked();
  for (int n = 1; n <= kWebScreens; ++n) {
    if ((asked & (1U << (n - 1))) != 0) metrics_->PublishScreen(n, ScreenAsSvg(app, window, n));
  }
}

void LiveSession::BeginRecording(AppContext& app) {
  ptpdiag::BeginRecording(app);
}

bool LiveSession::End(AppContext& app, std::ostream& err) {
  if (demo_) demo_->Stop();
  app.Link.DemoPort.reset();
  metrics_.reset();
  const std::optional<std::string> failure = StopRecording(app);
  if (failure) err << "ptpdiag: " << *failure << "\n";
  return !failure;
}

}  // namespace ptpdiag
