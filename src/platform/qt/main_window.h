// The main window on screen: a widget that shows the backing image the
// window procedure draws on, and turns Qt events into window messages.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "platform/backed_window.h"
#include "platform/qt/raster_canvas.h"
#include "platform/qt/socket_watcher.h"

namespace ptpdiag {

class QtMainWindow final : public QWidget {
 public:
  QtMainWindow(int clientWidth, int clientHeight);

  BackedWindow& Window() { return window_; }
  // Runs before each WM_TIMER (a replay moves its clock here).
  void SetTickHook(std::function<void()> hook) { tickHook_ = std::move(hook); }
  // Starts timer 1: WM_TIMER every 250 ms.
  void StartTimer();
  // Closes the window after `ms`, as the close box would.
  void CloseAfter(std::int64_t ms);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  class Backing final : public BackedWindow {
   public:
    Backing(QtMainWindow& owner, int width, int height, Canvas* canvas)
        : BackedWindow(width, height, canvas), owner_(owner) {}

   protected:
    void OnRepainted() override { owner_.update(); }
    void OnMessageBox(const MessageBoxRecord& box) override;
    void OnWatchChanged(std::intptr_t socket, std::uint32_t message) override {
      owner_.watcher_.Change(socket, message);
    }

   private:
    QtMainWindow& owner_;
  };

  // Sends a message and ends the event loop once the quit was posted.
  void Deliver(std::uint32_t message, WPARAM wParam, LPARAM lParam);

  QImage image_;
  RasterCanvas canvas_;
  Backing window_;
  QTimer timer_;
  QtSocketWatcher watcher_;
  std::function<void()> tickHook_;
};

}  // namespace ptpdiag
