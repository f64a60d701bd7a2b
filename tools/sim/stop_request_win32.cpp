#include <windows.h>

#include <atomic>

#include "stop_request.h"

namespace ptpdiag::sim {
namespace {

std::atomic<bool> g_arrived{false};

BOOL WINAPI OnConsoleControl(DWORD) {
  g_arrived = true;
  return TRUE;  // handled: the run ends by itself and prints its summary
}

}  // namespace

StopRequest::StopRequest() {
  g_arrived = false;
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

StopRequest::~StopRequest() {
  SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}

bool StopRequest::Arrived() {
  return g_arrived.load();
}

}  // namespace ptpdiag::sim
