#include "platform/qt/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>

#include "resources/string_table.h"

namespace ptpdiag {

QtMainWindow::QtMainWindow(int clientWidth, int clientHeight)
    : image_(clientWidth, clientHeight, QImage::Format_RGB32),
      canvas_(&image_),
      window_(*this, clientWidth, clientHeight, &canvas_),
      watcher_([this](std::uint32_t message, WPARAM wParam) { Deliver(message, wParam, 1); }) {
  image_.fill(Qt::white);
  setWindowTitle(
      QString::fromLatin1(kProgramCaption.data(), static_cast<qsizetype>(kProgramCaption.size())));
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(clientWidth, clientHeight);
  timer_.setInterval(250);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (tickHook_) tickHook_();
    Deliver(WM_TIMER, 1, 0);
  });
}

void QtMainWindow::StartTimer() {
  timer_.start();
}

void QtMainWindow::CloseAfter(std::int64_t ms) {
  QTimer::singleShot(static_cast<int>(std::min<std::int64_t>(ms, INT32_MAX)), this,
                     [this] { close(); });
}

namespace {

QString Latin1(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void QtMainWindow::Backing::OnMessageBox(const MessageBoxRecord& box) {
  // Modal: the timer goes on ticking underneath, as it does for any dialog.
  QMessageBox message(QMessageBox::NoIcon, Latin1(box.Caption), Latin1(box.Text), QMessageBox::Ok,
                      &owner_);
  if (!box.Detail.empty()) message.setInformativeText(Latin1(box.Detail));
  message.exec();
}

void QtMainWindow::Deliver(std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  window_.Send(message, wParam, lParam);
  update();
  if (window_.QuitPosted()) {
    timer_.stop();
    QCoreApplication::exit(window_.ExitCode());
  }
}

void QtMainWindow::paintEvent(QPaintEvent*) {
  canvas_.Flush();
  QPainter painter(this);
  painter.drawImage(0, 0, image_);
}

void QtMainWindow::resizeEvent(QResizeEvent* event) {
  const QSize size = event->size();
  if (size.width() <= 0 || size.height() <= 0 || size == image_.size()) return;
  canvas_.Flush();
  QImage resized(size, QImage::Format_RGB32);
  resized.fill(Qt::white);
  image_ = resized;
  canvas_.SetImage(&image_);
  window_.SetClientSize(size.width(), size.height());
  Deliver(WM_SIZE, 0,
          MakeLParam(static_cast<std::uint32_t>(size.width()),
                     static_cast<std::uint32_t>(size.height())));
  // The class redraws the whole window after every resize.
  window_.InvalidateRect(window_.GetClientRect(), true);
  window_.UpdateWindow();
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
  if (!window_.QuitPosted()) Deliver(WM_CLOSE, 0, 0);
  event->accept();
}

}  // namespace ptpdiag
