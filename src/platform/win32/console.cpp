#include "platform/win32/console.h"

#include <atomic>
#include <cstdio>
#include <iostream>
#include <mutex>

#include "platform/win32/windows_api.h"

namespace ptpdiag {
namespace {

std::mutex g_mutex;
std::atomic<bool> g_requested{false};
std::function<void()> g_stop;
HANDLE g_finished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
// Windows ends the process 5 s after a console close event; the outputs
// must be written before that.
constexpr DWORD kCloseGraceMs = 4500;

bool Redirected(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  const DWORD type = GetFileType(handle);
  return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR;
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
  g_requested.store(true);
  std::function<void()> stop;
  {
    const std::lock_guard lock(g_mutex);
    stop = g_stop;
  }
  if (stop) stop();
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    WaitForSingleObject(g_finished, kCloseGraceMs);
  }
  return TRUE;  // handled: the program ends by itself
}

}  // namespace

void AttachParentConsole() {
  const bool outRedirected = Redirected(STD_OUTPUT_HANDLE);
  const bool errRedirected = Redirected(STD_ERROR_HANDLE);
  if ((!outRedirected || !errRedirected) && AttachConsole(ATTACH_PARENT_PROCESS) != 0) {
    if (!outRedirected) std::freopen("CONOUT$", "w", stdout);
    if (!errRedirected) std::freopen("CONOUT$", "w", stderr);
    std::cout.clear();
    std::cerr.clear();
  }
  InstallStopRequests();
}

void InstallStopRequests() {
  static const bool installed = SetConsoleCtrlHandler(&OnConsoleEvent, TRUE) != 0;
  static_cast<void>(installed);
}

void SetConsoleStopHandler(std::function<void()> stop) {
  const std::lock_guard lock(g_mutex);
  g_stop = std::move(stop);
}

void ClearConsoleStopHandler() {
  const std::lock_guard lock(g_mutex);
  g_stop = nullptr;
}

void FinishConsoleStops() {
  SetEvent(g_finished);
}

bool StopRequested() {
  return g_requested.load();
}

}  // namespace ptpdiag
