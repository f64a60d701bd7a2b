#include "state/link_thread.h"

namespace ptpdiag {

void LinkThreadSignal::Wait(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [this] { return woken_; });
  woken_ = false;
}

void LinkThreadSignal::Wake() {
  {
    std::lock_guard lock(mutex_);
    woken_ = true;
  }
  changed_.notify_all();
}

void LinkThreadEvents::Post(const LinkError& error) {
  std::lock_guard lock(mutex_);
  if (!pending_) pending_ = error;
}

std::optional<LinkError> LinkThreadEvents::Take() {
  std::lock_guard lock(mutex_);
  std::optional<LinkError> taken = pending_;
  pending_.reset();
  return taken;
}

}  // namespace ptpdiag
