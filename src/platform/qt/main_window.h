// The main window on screen: the menu bar "MAINMENU", a client area that
// shows the backing image the window procedure draws on, and the status bar
// along the client area's bottom edge. Qt events become window messages.
#pragma once

#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "platform/backed_window.h"
#include "platform/loop_window.h"
#include "platform/qt/raster_canvas.h"
#include "platform/qt/socket_watcher.h"

namespace ptpdiag {

class QtMainWindow final : public QWidget, public LoopWindow {
 public:
  // `outerSize`: once shown, the window's outer size (frame and menu
  // included) becomes 808 x 600 as the window system frames it.
  QtMainWindow(int clientWidth, int clientHeight, bool outerSize = false);
  ~QtMainWindow() override;

  BackedWindow& Window() override { return window_; }
  QMenuBar& MenuBar() { return *menuBar_; }
  // The menu item of command `id`; null when the menu has none.
  QAction* MenuAction(std::uint32_t id) const;
  QStatusBar& StatusBar() { return *statusBar_; }
  QWidget& ClientArea();
  // The pixels the window procedure drew, as shown.
  const QImage& Image() const { return image_; }
  void SetTickHooks(TickHooks hooks) override { tickHooks_ = std::move(hooks); }
  void StartTimer() override;
  void RunAfter(std::int64_t ms, std::function<void()> work) override;
  void Close() override { close(); }
  void Show() override;
  void RunSoon(std::function<void()> work) override;
  int RunLoop() override;
  TickStats Stats() const override { return meter_.Stats(); }
  // Run-time dialogs come from `host` (not owned).
  void SetDialogHost(DialogHost* host) { window_.SetDialogHost(host); }

  // Sends a message to the window procedure; ends the event loop once the
  // quit was posted.
  void Deliver(std::uint32_t message, WPARAM wParam, LPARAM lParam);
  // Asks Qt to show anew the part of the image the last message drew on.
  void ShowDrawn();

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
    void OnStatusNote(std::string_view text) override;
    bool OnAskYesNo(const MessageBoxRecord& question) override;
    std::optional<std::string> OnAskPath(const FilePrompt& prompt, bool save) override;
    void OnMenuItemState(std::uint32_t id, bool enabled, bool checked) override;
    std::optional<std::string> OnSavePicture(const std::string& path) override;
    std::optional<std::string> OnOpenUserGuide() override;

   private:
    QtMainWindow& owner_;
  };

  void BuildMenu();
  void ResizeClient(QSize size);

  QImage image_;
  RasterCanvas canvas_;
  Backing window_;
  QMenuBar* menuBar_;
  std::map<std::uint32_t, QAction*> actions_;
  Client* client_;
  QStatusBar* statusBar_;
  QLabel* statusNote_;
  QTimer timer_;
  QtSocketWatcher watcher_;
  TickMeter meter_;
  bool outerSize_;
  TickHooks tickHooks_;
};

}  // namespace ptpdiag
