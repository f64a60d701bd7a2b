#include "platform/qt/event_window.h"

#include <QCoreApplication>
#include <algorithm>
#include <ostream>

namespace ptpdiag {

EventWindow::EventWindow(int clientWidth, int clientHeight, Canvas* canvas, std::ostream& messages)
    : BackedWindow(clientWidth, clientHeight, canvas),
      watcher_([this](std::uint32_t message, WPARAM wParam) { Deliver(message, wParam, 1); }) {
  SetMessageSink(&messages);
  timer_.setInterval(kTimerMs);
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] { OnTick(); });
  closer_.setSingleShot(true);
  QObject::connect(&closer_, &QTimer::timeout, [this] {
    if (later_ && !QuitPosted()) later_();
    if (QuitPosted()) QCoreApplication::exit(ExitCode());
  });
}

void EventWindow::StartTimer() {
  timer_.start();
}

void EventWindow::RunAfter(std::int64_t ms, std::function<void()> work) {
  later_ = std::move(work);
  closer_.start(static_cast<int>(std::clamp<std::int64_t>(ms, 0, INT32_MAX)));
}

void EventWindow::RunSoon(std::function<void()> work) {
  QTimer::singleShot(0, [this, work = std::move(work)] {
    work();
    if (QuitPosted()) QCoreApplication::exit(ExitCode());
  });
}

int EventWindow::RunLoop() {
  if (QuitPosted()) return ExitCode();
  return QCoreApplication::exec();
}

void EventWindow::OnTick() {
  meter_.Tick();
  if (tickHooks_.Before) tickHooks_.Before();
  Deliver(WM_TIMER, 1, 0);
  if (tickHooks_.After && !QuitPosted()) tickHooks_.After();
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
