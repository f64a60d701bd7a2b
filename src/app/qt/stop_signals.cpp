#include "app/qt/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QTimer>
#include <atomic>
#include <csignal>

namespace ptpdiag {
namespace {

// The pipe the signal handler wakes the event loop with.
int g_signalPipe[2] = {-1, -1};
std::atomic<bool> g_arrived{false};

extern "C" void OnStopSignal(int) {
  g_arrived.store(true);
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

}  // namespace

void InstallStopSignals() {
  if (g_signalPipe[0] >= 0) return;
  if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) g_signalPipe[0] = g_signalPipe[1] = -1;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

bool StopSignalArrived() {
  return g_arrived.load();
}

StopSignals::StopSignals(std::function<void()> stop) : stop_(std::move(stop)) {
  InstallStopSignals();
  if (g_signalPipe[0] >= 0) {
    notifier_ = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
      char byte = 0;
      while (::read(g_signalPipe[0], &byte, 1) > 0) {
      }
      if (stop_) stop_();
    });
  }
  if (StopSignalArrived()) QTimer::singleShot(0, [this] {
      if (stop_) stop_();
    });
}

StopSignals::~StopSignals() {
  notifier_.reset();
}

}  // namespace ptpdiag
