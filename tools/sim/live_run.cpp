#include "sim/live_run.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <thread>

#include "sim/live_streamer.h"
#include "sim/pty_master.h"
#include "sim/tcp_listener.h"

namespace ptpdiag::sim {
namespace {

// Closing the master hangs the slave up and discards what its reader has
// not taken yet, so the last hops get a moment to be read.
constexpr std::chrono::milliseconds kPtyLinger{100};

// Holds SIGINT and SIGTERM back while alive, in this thread and in threads
// it starts, so a stop request is taken up here instead of ending the process.
class StopSignals {
 public:
  StopSignals() {
    ::sigemptyset(&set_);
    ::sigaddset(&set_, SIGINT);
    ::sigaddset(&set_, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &set_, &previous_);
  }
  ~StopSignals() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // True when one of them has arrived; never waits.
  bool Arrived() {
    const timespec now{};
    return ::sigtimedwait(&set_, nullptr, &now) > 0;
  }

 private:
  sigset_t set_{};
  sigset_t previous_{};
};

std::int64_t LiveDurationMs(const SimOptions& options) {
  if (options.Seconds == 0.0) return 0;  // until stopped
  return std::max<std::int64_t>(std::llround(options.Seconds * 1000.0), 1);
}

int Stream(const SimOptions& options, const StreamTarget& target, std::ostream& err) {
  StopSignals signals;  // before the streamer's thread exists, so it inherits the mask
  LiveStreamer streamer(options.Generator, target, LiveDurationMs(options));
  if (streamer.SetupError()) {
    err << "ptpdiag-sim: " << *streamer.SetupError() << "\n";
    return 1;
  }
  streamer.Start();
  while (!streamer.WaitUntilDone(std::chrono::milliseconds(50)) && !signals.Arrived()) {
  }
  streamer.Stop();
  err << "ptpdiag-sim: " << streamer.HopsSent() << " hops sent, " << streamer.BytesSent()
      << " bytes sent, " << streamer.BytesDropped() << " bytes dropped\n";
  return 0;
}

}  // namespace

int RunLive(const SimOptions& options, std::ostream& out, std::ostream& err) {
  std::string error;
  if (options.Out == "pty") {
    const std::optional<PtyMaster> pty = PtyMaster::Open(error);
    if (!pty) {
      err << "ptpdiag-sim: " << error << "\n";
      return 1;
    }
    out << "pty " << pty->SlavePath() << std::endl;
    const int code = Stream(options, StreamTarget::Descriptor(pty->Fd()), err);
    std::this_thread::sleep_for(kPtyLinger);
    return code;
  }
  if (options.Out == "tcp" && options.Listen) {
    const std::optional<TcpListener> listener = TcpListener::Open(*options.Listen, error);
    if (!listener) {
      err << "ptpdiag-sim: " << error << "\n";
      return 1;
    }
    out << "listening " << HostPortText(listener->Address()) << std::endl;
    return Stream(options, StreamTarget::Listener(listener->Fd()), err);
  }
  if (options.Out == "udp" && options.To) {
    return Stream(options,
                  StreamTarget::UdpTo(*options.To, options.FramesPerDatagram, options.Split), err);
  }
  err << "ptpdiag-sim: no live output named '" << options.Out << "'\n";
  return 1;
}

}  // namespace ptpdiag::sim
