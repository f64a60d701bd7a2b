#include "platform/qt/event_window.h"

#include <QCoreApplication>
#include <algorithm>
#include <ostream>

namespace ptpdiag {

constexpr int kTimerMs = 250;

EventWindow::EventWindow(int clientWidth, int clientHeight, Canvas* canvas, std::ostream& messages)
    : BackedWindow(clientWidth, clientHeight, canvas),
      watcher_([this](std::uint32_t message, WPARAM wParam) { Deliver(message, wParam, 1); }) {
  SetMessageSink(&messages);
  timer_.setInterval(kTimerMs);
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] { OnTick(); });
  closer_.setSingleShot(true);
  QObject::connect(&closer_, &QTimer::timeout, [this] { Deliver(WM_CLOSE, 0, 0); });
}

void EventWindow::StartTimer() {
  timer_.start();
}

void EventWindow::CloseAfter(std::int64_t ms) {
  closer_.start(static_cast<int>(std::clamp<std::int64_t>(ms, 0, INT32_MAX)));
}

void EventWindow::OnTick() {
  if (sinceTick_.isValid()) {
    const double late =
        std::max(0.0, static_cast<double>(sinceTick_.nsecsElapsed()) / 1e6 - kTimerMs);
    lateSumMs_ += late;
    lateMaxMs_ = std::max(lateMaxMs_, late);
  }
  sinceTick_.start();
  ++ticks_;
  if (tickHook_) tickHook_();
  Deliver(WM_TIMER, 1, 0);
}

TickStats EventWindow::Stats() const {
  TickStats stats;
  stats.Ticks = ticks_;
  stats.MeanLateMs = ticks_ > 1 ? lateSumMs_ / static_cast<double>(ticks_ - 1) : 0.0;
  stats.MaxLateMs = lateMaxMs_;
  return stats;
}

void EventWindow::Deliver(std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  if (QuitPosted()) return;
  Send(message, wParam, lParam);
  if (QuitPosted()) {
    timer_.stop();
    closer_.stop();
    QCoreApplication::exit(ExitCode());
  }
}

void EventWindow::OnWatchChanged(std::intptr_t socket, std::uint32_t message) {
  watcher_.Change(socket, message);
}

}  // namespace ptpdiag
