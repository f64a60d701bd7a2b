#include "platform/os/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>

namespace ptpdiag {
namespace {

// The pipe the signal handler wakes an event loop with.
int g_signalPipe[2] = {-1, -1};
std::atomic<bool> g_installed{false};
std::atomic<bool> g_arrived{false};

extern "C" void OnStopSignal(int) {
  g_arrived.store(true);
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

}  // namespace

void InstallStopRequests() {
  if (g_installed.exchange(true)) return;
  if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) g_signalPipe[0] = g_signalPipe[1] = -1;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted calls go on: the run ends when it next looks.
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() {
  return g_arrived.load();
}

int StopRequestWakeFd() {
  return g_signalPipe[0];
}

void DrainStopRequestWakes() {
  char byte = 0;
  while (g_signalPipe[0] >= 0 && ::read(g_signalPipe[0], &byte, 1) > 0) {
  }
}

}  // namespace ptpdiag
