// The windows of the Windows build: an HWND whose messages reach the window
// procedure with their own numbers (timer 1, keys, mouse, menu commands,
// message 961 from WSAAsyncSelect), drawing on a GDI backing image. The
// main window shows it; the headless one is a message-only window, so
// timer ticks and datagrams follow the same path without a screen.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/backed_window.h"
#include "platform/loop_window.h"
#include "platform/win32/dpi.h"
#include "platform/win32/gdi_canvas.h"
#include "platform/win32/windows_api.h"

namespace ptpdiag {

class Win32DialogHost;

class Win32LoopWindow : public BackedWindow, public LoopWindow {
 public:
  ~Win32LoopWindow() override;
  Win32LoopWindow(const Win32LoopWindow&) = delete;
  Win32LoopWindow& operator=(const Win32LoopWindow&) = delete;

  BackedWindow& Window() override { return *this; }
  void SetTickHooks(TickHooks hooks) override { tickHooks_ = std::move(hooks); }
  void StartTimer() override;
  void RunAfter(std::int64_t ms, std::function<void()> work) override;
  void Close() override;
  void Show() override {}
  // From any thread: the work is posted to the loop.
  void RunSoon(std::function<void()> work) override;
  // GetMessageA until WM_QUIT; the quit's exit code.
  int RunLoop() override;
  TickStats Stats() const override { return meter_.Stats(); }

  // Also posts WM_QUIT, so that every message loop of the thread (a
  // dialog's as well) ends.
  void PostQuitMessage(int exitCode) override;

  HWND Hwnd() const { return hwnd_; }
  // The backing image the window procedure draws on, in device pixels.
  GdiImage& Image() { return image_; }
  GdiCanvas& Canvas() { return canvas_; }

 protected:
  Win32LoopWindow(int clientWidth, int clientHeight);
  // Registers `className` once and creates the window; `parent`
  // HWND_MESSAGE makes a message-only window.
  void Create(const char* className, UINT classStyle, const char* caption, DWORD style, int width,
              int height, HWND parent, HMENU menu);
  // The window procedure of this window; the default handles the timers,
  // socket notifications and work posted to the loop.
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Sends a message to the window procedure unless the quit was posted.
  LRESULT Deliver(UINT message, WPARAM wParam, LPARAM lParam);
  void OnWatchChanged(std::intptr_t socket, std::uint32_t message) override;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void RunPostedWork();
  // One poll-cycle tick; `fromTimer` when it is timer 1's own message.
  void Tick(bool fromTimer);
  // Timers whose time came while the queue was never empty: WM_TIMER
  // would not come, so the tick and the delayed work are done here.
  void RunOverdueTimers();
  void RunLater();

  GdiImage image_;
  GdiCanvas canvas_;
  HWND hwnd_ = nullptr;
  bool timerRunning_ = false;
  std::chrono::steady_clock::time_point lastTick_;
  std::optional<std::chrono::steady_clock::time_point> laterAt_;
  std::function<void()> later_;
  TickMeter meter_;
  TickHooks tickHooks_;
  std::mutex soonMutex_;
  std::deque<std::function<void()>> soon_;
};

// The headless window: no screen; message boxes go to `messages`.
class Win32EventWindow final : public Win32LoopWindow {
 public:
  Win32EventWindow(int clientWidth, int clientHeight, std::ostream& messages);
};

// The main window: class "ZEDI206", menu "MAINMENU", icon "PROGRAM", the
// status bar (control 200), dialogs and file prompts. Its client area is
// the size given, in pixels of 96 dots per inch: on a denser screen it has
// more device pixels and the drawing is made at that density, and it is
// made anew when the window moves to a screen of another density.
class Win32MainWindow final : public Win32LoopWindow {
 public:
  // Frame and menu come on top of the client area, with the metrics of the
  // screen's density, so the drawing gets its size on every Windows
  // version (`outerSize` no longer changes that).
  Win32MainWindow(int clientWidth, int clientHeight, bool outerSize);
  ~Win32MainWindow() override;

  void Show() override;
  HWND StatusBar() const { return statusBar_; }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnRepainted() override;
  void OnStatusText(std::string_view text) override;
  void OnStatusNote(std::string_view text) override;
  void OnMessageBox(const MessageBoxRecord& box) override;
  bool OnAskYesNo(const MessageBoxRecord& question) override;
  std::optional<std::string> OnAskPath(const FilePrompt& prompt, bool save) override;
  void OnMenuItemState(std::uint32_t id, bool enabled, bool checked) override;
  std::optional<std::string> OnSavePicture(const std::string& path) override;
  std::optional<std::string> OnOpenUserGuide() override;

 private:
  // The client area is `width` x `height` device pixels now.
  void Resized(int width, int height);
  void PaintFromImage();
  // WM_DPICHANGED: the new density, and the size Windows suggests.
  void DensityChanged(UINT dpi, const RECT& suggested);
  double Scale() const { return static_cast<double>(dpi_) / kBaseDpi; }
  int Logical(int device) const;
  // A mouse message's point, in the drawing's pixels.
  LPARAM LogicalPoint(LPARAM devicePoint) const;
  // The status bar in one part, or two with the note on the right.
  void LayOutStatusParts();

  HWND statusBar_ = nullptr;
  UINT dpi_ = kBaseDpi;
  double imageScale_ = 1.0;  // the density the image was last drawn at
  std::string statusNote_;
  std::unique_ptr<Win32DialogHost> dialogs_;
};

// The instance handle of the program (the exe's resources).
HINSTANCE ProgramInstance();

}  // namespace ptpdiag
