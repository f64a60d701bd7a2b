// A window driven by an event loop: timer 1 every 250 ms, socket readiness
// as messages, closing as the close box does. Each backend has one with a
// screen and one without (headless live runs draw on an image instead).
#pragma once

#include <cstdint>
#include <functional>

#include "platform/backed_window.h"
#include "platform/tick_meter.h"

namespace ptpdiag {

class LoopWindow {
 public:
  virtual ~LoopWindow() = default;

  // The window the window procedure serves.
  virtual BackedWindow& Window() = 0;
  // Run around each WM_TIMER: before it (a replay moves its clock here)
  // and after its cycle (what the tick made is handed on here).
  struct TickHooks {
    std::function<void()> Before;
    std::function<void()> After;
  };
  virtual void SetTickHooks(TickHooks hooks) = 0;
  // Starts timer 1: WM_TIMER every 250 ms.
  virtual void StartTimer() = 0;
  // Runs `work` on the loop's thread after `ms` (one at a time: a second
  // call replaces the first).
  virtual void RunAfter(std::int64_t ms, std::function<void()> work) = 0;
  // Closes it now, as the close box would; on the loop's thread only.
  virtual void Close() = 0;
  // Shows the window (nothing without a screen).
  virtual void Show() = 0;
  // Runs `work` on the loop's thread once the loop runs.
  virtual void RunSoon(std::function<void()> work) = 0;
  // Runs the loop until the window procedure posts the quit; its exit code.
  virtual int RunLoop() = 0;
  // How punctual timer 1 was.
  virtual TickStats Stats() const = 0;
};

}  // namespace ptpdiag
