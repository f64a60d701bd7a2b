// The main window as the core sees it: client geometry, repaint requests,
// device contexts, the default procedure, the quit request, status text,
// message boxes, socket readiness notification, menu item states and
// pictures of the client area.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/canvas.h"
#include "platform/dialog_host.h"
#include "platform/file_prompt.h"
#include "platform/geometry.h"
#include "platform/messages.h"

namespace ptpdiag {

class PlatformWindow {
 public:
  virtual ~PlatformWindow() = default;

  virtual Rect GetClientRect() const = 0;
  // Marks `rect` for repainting; `erase` asks for the white background first.
  virtual void InvalidateRect(const Rect& rect, bool erase) = 0;
  // Runs the paint handler now if anything is invalid.
  virtual void UpdateWindow() = 0;
  // Start and end of a repaint; BeginPaint erases when that was asked for.
  virtual Canvas* BeginPaint() = 0;
  virtual void EndPaint() = 0;
  // A surface for drawing outside a repaint.
  virtual Canvas* GetDC() = 0;
  virtual void ReleaseDC(Canvas* dc) = 0;
  virtual LRESULT DefWindowProc(std::uint32_t message, WPARAM wParam, LPARAM lParam) = 0;
  // Delivers a message to the window procedure now and returns its result.
  virtual LRESULT Send(std::uint32_t message, WPARAM wParam, LPARAM lParam) = 0;
  virtual void PostQuitMessage(int exitCode) = 0;
  virtual void SetStatusText(std::string_view text) = 0;
  // A second, right-hand part of the status bar that stays while the
  // first changes (what is being recorded); empty hides it.
  virtual void SetStatusNote(std::string_view text) = 0;
  // A message box with an OK button; `detail`, when not empty, is shown
  // beneath `text` in smaller print.
  virtual void MessageBox(std::string_view text, std::string_view caption,
                          std::string_view detail) = 0;
  // A question with Yes and No buttons, No the default; true for Yes.
  virtual bool AskYesNo(std::string_view text, std::string_view caption) = 0;
  // From now on `message` (wParam = the socket handle) reaches the window
  // procedure whenever the socket has data to read, until UnwatchSocket.
  virtual void WatchSocket(std::intptr_t socket, std::uint32_t message) = 0;
  virtual void UnwatchSocket(std::intptr_t socket) = 0;
  // The full path of a file the user chose; nothing when cancelled.
  [[nodiscard]] virtual std::optional<std::string> AskOpenPath(const FilePrompt& prompt) = 0;
  [[nodiscard]] virtual std::optional<std::string> AskSavePath(const FilePrompt& prompt) = 0;
  // Where run-time dialogs are built; null where there are none (every
  // dialog then counts as cancelled).
  virtual DialogHost* Dialogs() = 0;
  // Where there is no window to show the dialog `caption` in: says so to
  // whoever runs the program, as the dialog counts as cancelled.
  virtual void SayDialogUnshown(std::string_view caption) = 0;
  // The check mark and grey state of the menu item `id`.
  virtual void CheckMenuItem(std::uint32_t id, bool checked) = 0;
  virtual void EnableMenuItem(std::uint32_t id, bool enabled) = 0;
  // A PNG of the client area's pixels as they are now; the reason when it
  // cannot be written.
  [[nodiscard]] virtual std::optional<std::string> SavePicture(const std::string& path) = 0;
  // Opens the user guide (installed with the program) in the web browser;
  // the reason when it cannot.
  [[nodiscard]] virtual std::optional<std::string> OpenUserGuide() = 0;
};

}  // namespace ptpdiag
