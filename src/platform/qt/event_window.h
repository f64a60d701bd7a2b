// A window with no screen for headless live runs: Qt's event loop drives
// it with the 250 ms timer and socket notifications, and its pixels stay
// on the backing canvas. Message boxes go to standard error.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>
#include <iosfwd>

#include "platform/backed_window.h"
#include "platform/qt/socket_watcher.h"

namespace ptpdiag {

// How punctual the timer was: the lateness of each tick after the first,
// measured from the one before it.
struct TickStats {
  std::int64_t Ticks = 0;
  double MeanLateMs = 0;
  double MaxLateMs = 0;
};

class EventWindow final : public BackedWindow {
 public:
  EventWindow(int clientWidth, int clientHeight, Canvas* canvas, std::ostream& messages);

  // Starts timer 1: WM_TIMER every 250 ms.
  void StartTimer();
  // Sends WM_CLOSE after `ms`, as the user closing the window would.
  void CloseAfter(std::int64_t ms);
  TickStats Stats() const;
  // Runs before each WM_TIMER.
  void SetTickHook(std::function<void()> hook) { tickHook_ = std::move(hook); }

 protected:
  void OnWatchChanged(std::intptr_t socket, std::uint32_t message) override;

 private:
  void Deliver(std::uint32_t message, WPARAM wParam, LPARAM lParam);
  void OnTick();

  QTimer timer_;
  QTimer closer_;
  QtSocketWatcher watcher_;
  QElapsedTimer sinceTick_;
  std::int64_t ticks_ = 0;
  double lateSumMs_ = 0;
  double lateMaxMs_ = 0;
  std::function<void()> tickHook_;
};

}  // namespace ptpdiag
