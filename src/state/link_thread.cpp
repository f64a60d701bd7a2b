#include "state/link_thread.h"

namespace ptpdiag {

std::int64_t RetryDelayMs(int tries) {
  constexpr std::int64_t kLongestMs = 30'000;
  if (tries < 0) tries = 0;
  if (tries >= 5) return kLongestMs;
  return 1000LL << tries;
}

void LinkThreadSignal::Wait(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [this] { return woken_; });
  woken_ = false;
}

void LinkThreadSignal::Wake() {
  {
    std::lock_guard lock(mutex_);
    woken_ = true;
    if (hook_) hook_();
  }
  changed_.notify_all();
}

void LinkThreadSignal::SetWakeHook(std::function<void()> hook) {
  std::lock_guard lock(mutex_);
  hook_ = std::move(hook);
}

void LinkThreadEvents::Post(const LinkNews& news) {
  std::lock_guard lock(mutex_);
  if (pending_.size() == kKept) pending_.pop_front();
  pending_.push_back(news);
}

std::optional<LinkNews> LinkThreadEvents::Take() {
  std::lock_guard lock(mutex_);
  if (pending_.empty()) return std::nullopt;
  LinkNews taken = pending_.front();
  pending_.pop_front();
  return taken;
}

void LinkThreadEvents::Clear() {
  std::lock_guard lock(mutex_);
  pending_.clear();
}

}  // namespace ptpdiag
