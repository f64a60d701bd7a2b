#include <pthread.h>
#include <signal.h>

#include <ctime>

#include "stop_request.h"

namespace ptpdiag::sim {
namespace {

// The signals are held back while the request lives and taken up by
// Arrived; only one StopRequest exists at a time.
sigset_t g_set;
sigset_t g_previous;

}  // namespace

StopRequest::StopRequest() {
  ::sigemptyset(&g_set);
  ::sigaddset(&g_set, SIGINT);
  ::sigaddset(&g_set, SIGTERM);
  ::pthread_sigmask(SIG_BLOCK, &g_set, &g_previous);
}

StopRequest::~StopRequest() {
  ::pthread_sigmask(SIG_SETMASK, &g_previous, nullptr);
}

bool StopRequest::Arrived() {
  const timespec now{};
  return ::sigtimedwait(&g_set, nullptr, &now) > 0;
}

}  // namespace ptpdiag::sim
