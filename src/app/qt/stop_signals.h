// Ctrl+C and SIGTERM end a run the way closing the window does, so the
// link is closed and the recording and outputs are written. The handlers
// are the process's from the start of the run, so a signal is never lost:
// before the event loop runs it is kept, and a replay looks for it between
// ticks.
#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "app/backend.h"

namespace ptpdiag {

// Installs the handlers of SIGINT and SIGTERM (once per process).
void InstallStopSignals();
// True once either signal arrived.
bool StopSignalArrived();

// While alive, a signal runs `stop` on the event loop's thread; one that
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
