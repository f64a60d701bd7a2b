#include "platform/qt/socket_watcher.h"

namespace ptpdiag {

void QtSocketWatcher::Change(std::intptr_t socket, std::uint32_t message) {
  if (const auto found = notifiers_.find(socket); found != notifiers_.end()) {
    // The watch may end inside the notifier's own signal: let Qt delete it.
    found->second->setEnabled(false);
    found->second.release()->deleteLater();
    notifiers_.erase(found);
  }
  if (message == 0) return;
  // Level-triggered: while datagrams wait, each pass of the event loop
  // delivers one message, so timer ticks still get their turn.
  auto notifier =
      std::make_unique<QSocketNotifier>(static_cast<qintptr>(socket), QSocketNotifier::Read);
  QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(),
                   [this, socket, message] { deliver_(message, static_cast<WPARAM>(socket)); });
  notifiers_[socket] = std::move(notifier);
}

}  // namespace ptpdiag
