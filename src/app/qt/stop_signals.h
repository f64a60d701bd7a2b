// Ctrl+C and SIGTERM end a run the way closing the window does, so the
// link is closed and the recording and outputs are written. The requests
// are taken over from the start of the run (platform/os/stop_signals.h),
// so one is never lost: before the event loop runs it is kept, and a
// replay looks for it between ticks.
#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "app/backend.h"

namespace ptpdiag {

// While alive, a request runs `stop` on the event loop's thread; one that
// arrived before runs it as soon as the loop runs.
class StopSignals final : public StopRequests {
 public:
  explicit StopSignals(std::function<void()> stop);
  ~StopSignals() override;
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  std::function<void()> stop_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace ptpdiag
