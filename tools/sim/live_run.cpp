#include "live_run.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

#include "platform/stop_requests.h"
#include "sim/live_streamer.h"
#include "sim/tcp_client_sink.h"
#include "sim/udp_sink.h"
#ifndef _WIN32
#include "fd_sink.h"
#include "pty_master.h"
#endif

namespace ptpdiag::sim {
namespace {

std::int64_t LiveDurationMs(const SimOptions& options) {
  if (options.Seconds == 0.0) return 0;  // until stopped
  return std::max<std::int64_t>(std::llround(options.Seconds * 1000.0), 1);
}

int Stream(const SimOptions& options, std::unique_ptr<ByteSink> sink, std::ostream& err) {
  // Ctrl+C ends the run, which then prints its summary.
  InstallStopRequests();
  LiveStreamer streamer(options.Generator, std::move(sink), LiveDurationMs(options));
  if (streamer.SetupError()) {
    err << "ptpdiag-sim: " << *streamer.SetupError() << "\n";
    return 1;
  }
  streamer.Start();
  while (!streamer.WaitUntilDone(std::chrono::milliseconds(50)) && !StopRequested()) {
  }
  streamer.Stop();
  err << "ptpdiag-sim: " << streamer.HopsSent() << " hops sent, " << streamer.BytesSent()
      << " bytes sent, " << streamer.BytesDropped() << " bytes dropped\n";
  return 0;
}

#ifndef _WIN32
// Closing the master hangs the slave up and discards what its reader has
// not taken yet, so the last hops get a moment to be read.
constexpr std::chrono::milliseconds kPtyLinger{100};

int StreamToPty(const SimOptions& options, std::ostream& out, std::ostream& err) {
  std::string error;
  const std::optional<PtyMaster> pty = PtyMaster::Open(error);
  if (!pty) {
    err << "ptpdiag-sim: " << error << "\n";
    return 1;
  }
  out << "pty " << pty->SlavePath() << std::endl;
  const int code = Stream(options, std::make_unique<FdSink>(pty->Fd()), err);
  std::this_thread::sleep_for(kPtyLinger);
  return code;
}
#endif

int StreamToTcpClients(const SimOptions& options, Network& network, std::ostream& out,
                       std::ostream& err) {
  const TcpListenResult listening =
      network.ListenTcp(NumericHost(*options.Listen), options.Listen->Port);
  if (!listening.Listener) {
    err << "ptpdiag-sim: cannot listen on " << HostPortText(*options.Listen) << ": "
        << listening.Error << "\n";
    return 1;
  }
  HostPort bound = *options.Listen;
  bound.Port = listening.Listener->LocalPort();
  out << "listening " << HostPortText(bound) << std::endl;
  return Stream(options, std::make_unique<TcpClientSink>(*listening.Listener), err);
}

int StreamToUdp(const SimOptions& options, Network& network, std::ostream& err) {
  std::string error;
  std::unique_ptr<UdpSink> sink = UdpSink::Open(
      network, {*options.To, options.FramesPerDatagram, options.Split, options.Generator.Seed},
      error);
  if (!sink) {
    err << "ptpdiag-sim: " << error << "\n";
    return 1;
  }
  return Stream(options, std::move(sink), err);
}

}  // namespace

int RunLive(const SimOptions& options, Network& network, std::ostream& out, std::ostream& err) {
#ifndef _WIN32
  if (options.Out == "pty") return StreamToPty(options, out, err);
#endif
  if (options.Out == "tcp" && options.Listen) return StreamToTcpClients(options, network, out, err);
  if (options.Out == "udp" && options.To) return StreamToUdp(options, network, err);
  err << "ptpdiag-sim: no live output named '" << options.Out << "' here\n";
  return 1;
}

}  // namespace ptpdiag::sim
