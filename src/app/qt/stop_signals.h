// Ctrl+C and SIGTERM end a run the way closing the window does, so the link
// is closed and the recording and outputs are written.
#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "app/backend.h"

namespace ptpdiag {

class StopSignals final : public StopRequests {
 public:
  // `stop` runs on the event loop's thread once a signal arrived.
  explicit StopSignals(std::function<void()> stop);
  ~StopSignals() override;
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  std::function<void()> stop_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace ptpdiag
