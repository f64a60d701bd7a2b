// The main window on screen: the menu bar "MAINMENU", a client area that
// shows the backing image the window procedure draws on, and the status bar
// along the client area's bottom edge. Qt events become window messages.
#pragma once

#include <QImage>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/backed_window.h"
#include "platform/qt/raster_canvas.h"
#include "platform/qt/socket_watcher.h"

namespace ptpdiag {

class QtMainWindow final : public QWidget {
 public:
  QtMainWindow(int clientWidth, int clientHeight);
  ~QtMainWindow() override;

  BackedWindow& Window() { return window_; }
  QMenuBar& MenuBar() { return *menuBar_; }
  QStatusBar& StatusBar() { return *statusBar_; }
  QWidget& ClientArea();
  // Runs before each WM_TIMER (a replay moves its clock here).
  void SetTickHook(std::function<void()> hook) { tickHook_ = std::move(hook); }
  // Starts timer 1: WM_TIMER every 250 ms.
  void StartTimer();
  // Closes the window after `ms`, as the close box would.
  void CloseAfter(std::int64_t ms);
  // Run-time dialogs come from `host` (not owned).
  void SetDialogHost(DialogHost* host) { window_.SetDialogHost(host); }

  // Sends a message to the window procedure; ends the event loop once the
  // quit was posted.
  void Deliver(std::uint32_t message, WPARAM wParam, LPARAM lParam);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  class Client;
  class Backing final : public BackedWindow {
   public:
    Backing(QtMainWindow& owner, int width, int height, Canvas* canvas)
        : BackedWindow(width, height, canvas), owner_(owner) {}

   protected:
    void OnRepainted() override;
    void OnMessageBox(const MessageBoxRecord& box) override;
    void OnWatchChanged(std::intptr_t socket, std::uint32_t message) override {
      owner_.watcher_.Change(socket, message);
    }
    void OnStatusText(std::string_view text) override;
    std::optional<std::string> OnAskPath(const FilePrompt& prompt, bool save) override;

   private:
    QtMainWindow& owner_;
  };

  void BuildMenu();
  void ResizeClient(QSize size);

  QImage image_;
  RasterCanvas canvas_;
  Backing window_;
  QMenuBar* menuBar_;
  Client* client_;
  QStatusBar* statusBar_;
  QTimer timer_;
  QtSocketWatcher watcher_;
  std::function<void()> tickHook_;
};

}  // namespace ptpdiag
