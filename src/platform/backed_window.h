// A window whose pixels live on one backing canvas: the paint handler and
// drawing outside repaints both go there, and repaints run synchronously
// through the installed window procedure. Headless runs and tests use it as
// it is; the Qt window shows its backing image on screen.
#pragma once

#include <deque>
#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "platform/window.h"

namespace ptpdiag {

struct MessageBoxRecord {
  std::string Text;
  std::string Caption;
  std::string Detail;
};

class BackedWindow : public PlatformWindow {
 public:
  using Procedure = std::function<LRESULT(PlatformWindow*, std::uint32_t, WPARAM, LPARAM)>;

  BackedWindow(int clientWidth, int clientHeight, Canvas* canvas);

  void SetProcedure(Procedure procedure) { procedure_ = std::move(procedure); }
  // Delivers a message to the window procedure and returns its result.
  LRESULT Send(std::uint32_t message, WPARAM wParam = 0, LPARAM lParam = 0) override;

  // Later drawing goes to `canvas` (not owned).
  void SetCanvas(Canvas* canvas) { canvas_ = canvas; }
  Canvas* GetCanvas() const { return canvas_; }
  void SetClientSize(int width, int height);

  bool QuitPosted() const { return quitPosted_; }
  int ExitCode() const { return exitCode_; }
  const std::string& StatusText() const { return statusText_; }
  const std::string& StatusNote() const { return statusNote_; }
  int PaintCount() const { return paintCount_; }
  // The message boxes shown so far, oldest first.
  const std::vector<MessageBoxRecord>& MessageBoxes() const { return messageBoxes_; }
  // The message the window procedure gets when `socket` is readable; 0 when
  // the socket is not watched.
  std::uint32_t WatchedMessage(std::intptr_t socket) const;
  std::size_t WatchedCount() const { return watched_.size(); }
  // Answers for the file prompts, taken in turn; none left means cancel.
  std::deque<std::optional<std::string>> FileAnswers;
  // Answers for the yes/no questions, taken in turn; none left means No.
  std::deque<bool> YesNoAnswers;
  // The questions asked so far, oldest first.
  const std::vector<MessageBoxRecord>& Questions() const { return questions_; }
  // The prompts shown so far, oldest first.
  const std::vector<FilePrompt>& Prompts() const { return prompts_; }
  // Message boxes are also written to `out` (not owned), for runs with no
  // screen.
  void SetMessageSink(std::ostream* out) { messageSink_ = out; }
  // Dialogs come from `host` (not owned; null: none).
  void SetDialogHost(DialogHost* host) { dialogs_ = host; }

  Rect GetClientRect() const override;
  void InvalidateRect(const Rect& rect, bool erase) override;
  void UpdateWindow() override;
  Canvas* BeginPaint() override;
  void EndPaint() override;
  Canvas* GetDC() override { return canvas_; }
  void ReleaseDC(Canvas* dc) override;
  LRESULT DefWindowProc(std::uint32_t message, WPARAM wParam, LPARAM lParam) override;
  void PostQuitMessage(int exitCode) override;
  void SetStatusText(std::string_view text) override {
    statusText_.assign(text);
    OnStatusText(text);
  }
  void SetStatusNote(std::string_view text) override {
    statusNote_.assign(text);
    OnStatusNote(text);
  }
  void MessageBox(std::string_view text, std::string_view caption,
                  std::string_view detail) override;
  bool AskYesNo(std::string_view text, std::string_view caption) override;
  void WatchSocket(std::intptr_t socket, std::uint32_t message) override;
  void UnwatchSocket(std::intptr_t socket) override;
  std::optional<std::string> AskOpenPath(const FilePrompt& prompt) override;
  std::optional<std::string> AskSavePath(const FilePrompt& prompt) override;
  DialogHost* Dialogs() override { return dialogs_; }
  void SayDialogUnshown(std::string_view caption) override;
  void CheckMenuItem(std::uint32_t id, bool checked) override;
  void EnableMenuItem(std::uint32_t id, bool enabled) override;
  std::optional<std::string> SavePicture(const std::string& path) override {
    return OnSavePicture(path);
  }
  std::optional<std::string> OpenUserGuide() override { return OnOpenUserGuide(); }
  // The menu item states set so far: unchecked and enabled until set.
  bool MenuItemChecked(std::uint32_t id) const;
  bool MenuItemEnabled(std::uint32_t id) const;

 protected:
  // Called after each repaint so a backend can show the new pixels.
  virtual void OnRepainted() {}
  // Called when the status bar's text changed; a backend shows it here.
  virtual void OnStatusText(std::string_view /*text*/) {}
  // Called when the status bar's note changed; a backend shows it here.
  virtual void OnStatusNote(std::string_view /*text*/) {}
  // Called after a message box was recorded; a backend shows it here.
  virtual void OnMessageBox(const MessageBoxRecord& /*box*/) {}
  // Asks a recorded question; the default takes the next of YesNoAnswers.
  virtual bool OnAskYesNo(const MessageBoxRecord& question);
  // Called when a socket's watch starts or ends; a backend hooks its event
  // loop here.
  virtual void OnWatchChanged(std::intptr_t /*socket*/, std::uint32_t /*message*/) {}
  // Asks for a path; the default takes the next of FileAnswers, and says
  // the prompt could not be shown when there is none.
  virtual std::optional<std::string> OnAskPath(const FilePrompt& prompt, bool save);
  // Called when a menu item's state changed; a backend shows it here.
  virtual void OnMenuItemState(std::uint32_t /*id*/, bool /*enabled*/, bool /*checked*/) {}
  // Writes the shown pixels; a window without a screen image has none.
  virtual std::optional<std::string> OnSavePicture(const std::string& path);
  // Shows the user guide; a window without a screen has nowhere to.
  virtual std::optional<std::string> OnOpenUserGuide() {
    return "the user guide opens with the window, not in a run without one";
  }

 private:
  Procedure procedure_;
  Canvas* canvas_;
  int width_;
  int height_;
  bool invalid_ = false;
  bool erasePending_ = false;
  bool quitPosted_ = false;
  bool destroyed_ = false;
  int exitCode_ = 0;
  int paintCount_ = 0;
  std::string statusText_;
  std::string statusNote_;
  std::vector<MessageBoxRecord> questions_;
  std::vector<MessageBoxRecord> messageBoxes_;
  std::map<std::intptr_t, std::uint32_t> watched_;
  std::vector<FilePrompt> prompts_;
  std::map<std::uint32_t, bool> checked_;
  std::map<std::uint32_t, bool> enabled_;
  DialogHost* dialogs_ = nullptr;
  std::ostream* messageSink_ = nullptr;
};

}  // namespace ptpdiag
