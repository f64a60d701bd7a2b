// What a link thread shares with the window thread besides the ring: a
// wake-up for its waits, and what it saw happen (failures, connections)
// for the window thread to show (only the window thread draws).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/link_error.h"

namespace ptpdiag {

// The wait before try number `tries` + 1 to bring a link back, after
// `tries` tries: 1, 2, 4, 8, 16, then every 30 s.
std::int64_t RetryDelayMs(int tries);

class LinkThreadSignal {
 public:
  // Waits up to `timeout`, or until Wake. A Wake that came before the wait
  // ends it at once.
  void Wait(std::chrono::milliseconds timeout);
  // Ends a Wait, and calls the hook (a socket's own wait can be ended there).
  void Wake();
  // What Wake also calls while set; set and cleared by the link thread
  // around the life of what it wakes.
  void SetWakeHook(std::function<void()> hook);

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool woken_ = false;
  std::function<void()> hook_;
};

// One thing a link thread saw.
struct LinkNews {
  enum class Kind { Failure, Connected };
  Kind What = Kind::Failure;
  LinkError Error;  // Failure
  // Failure: when the thread tries again, in ms from now; -1: it does not.
  std::int64_t RetryInMs = -1;
  // Connected: how long the link was down before, in ms; 0 for the first
  // connection.
  std::int64_t DownMs = 0;
};

class LinkThreadEvents {
 public:
  // Keeps the news in order until taken; at most a few are kept (a thread
  // sees little between two poll cycles), the oldest giving way.
  void Post(const LinkNews& news);
  void Post(const LinkError& error, std::int64_t retryInMs = -1) {
    Post(LinkNews{LinkNews::Kind::Failure, error, retryInMs, 0});
  }
  std::optional<LinkNews> Take();
  void Clear();

 private:
  static constexpr std::size_t kKept = 16;
  std::mutex mutex_;
  std::deque<LinkNews> pending_;
};

}  // namespace ptpdiag
