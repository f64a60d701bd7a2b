// A window with no screen for headless live runs: Qt's event loop drives
// it with the 250 ms timer and socket notifications, and its pixels stay
// on the backing canvas. Message boxes go to standard error.
#pragma once

#include <QTimer>
#include <cstdint>
#include <iosfwd>

#include "platform/backed_window.h"
#include "platform/loop_window.h"
#include "platform/qt/socket_watcher.h"

namespace ptpdiag {

class EventWindow final : public BackedWindow, public LoopWindow {
 public:
  EventWindow(int clientWidth, int clientHeight, Canvas* canvas, std::ostream& messages);

  BackedWindow& Window() override { return *this; }
  void SetTickHooks(TickHooks hooks) override { tickHooks_ = std::move(hooks); }
  void StartTimer() override;
  void RunAfter(std::int64_t ms, std::function<void()> work) override;
  void Close() override { Deliver(WM_CLOSE, 0, 0); }
  void Show() override {}
  void RunSoon(std::function<void()> work) override;
  int RunLoop() override;
  TickStats Stats() const override { return meter_.Stats(); }

 protected:
  void OnWatchChanged(std::intptr_t socket, std::uint32_t message) override;

 private:
  void Deliver(std::uint32_t message, WPARAM wParam, LPARAM lParam);
  void OnTick();

  QTimer timer_;
  QTimer closer_;
  QtSocketWatcher watcher_;
  TickMeter meter_;
  TickHooks tickHooks_;
  std::function<void()> later_;
};

}  // namespace ptpdiag
