// What a link thread shares with the window thread besides the ring: a
// wake-up for its waits, and the failures it saw for the window thread to
// put on the link event line (only the window thread draws).
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "platform/link_error.h"

namespace ptpdiag {

class LinkThreadSignal {
 public:
  // Waits up to `timeout`, or until Wake. A Wake that came before the wait
  // ends it at once.
  void Wait(std::chrono::milliseconds timeout);
  void Wake();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool woken_ = false;
};

class LinkThreadEvents {
 public:
  // Keeps the first failure until it is taken; later ones are dropped, as
  // a thread that failed once stops using its link.
  void Post(const LinkError& error);
  std::optional<LinkError> Take();

 private:
  std::mutex mutex_;
  std::optional<LinkError> pending_;
};

}  // namespace ptpdiag
