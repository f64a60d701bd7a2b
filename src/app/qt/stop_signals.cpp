#include "app/qt/stop_signals.h"

#include <QTimer>

#include "platform/os/stop_signals.h"

namespace ptpdiag {

StopSignals::StopSignals(std::function<void()> stop) : stop_(std::move(stop)) {
  InstallStopRequests();
  if (StopRequestWakeFd() >= 0) {
    notifier_ = std::make_unique<QSocketNotifier>(StopRequestWakeFd(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
      DrainStopRequestWakes();
      if (stop_) stop_();
    });
  }
  if (StopRequested()) QTimer::singleShot(0, [this] {
      if (stop_) stop_();
    });
}

StopSignals::~StopSignals() {
  notifier_.reset();
}

}  // namespace ptpdiag
