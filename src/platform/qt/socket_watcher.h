// Socket readiness as window messages: one notifier per watched socket,
// delivering its message (wParam = the socket) through a callback.
#pragma once

#include <QSocketNotifier>
#include <functional>
#include <map>
#include <memory>

#include "platform/messages.h"

namespace ptpdiag {

class QtSocketWatcher {
 public:
  using Deliver = std::function<void(std::uint32_t message, WPARAM wParam)>;
  explicit QtSocketWatcher(Deliver deliver) : deliver_(std::move(deliver)) {}

  // message 0 ends the watch.
  void Change(std::intptr_t socket, std::uint32_t message);

 private:
  Deliver deliver_;
  std::map<std::intptr_t, std::unique_ptr<QSocketNotifier>> notifiers_;
};

}  // namespace ptpdiag
