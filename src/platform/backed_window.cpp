#include "platform/backed_window.h"

#include <ostream>

namespace ptpdiag {

BackedWindow::BackedWindow(int clientWidth, int clientHeight, Canvas* canvas)
    : canvas_(canvas), width_(clientWidth), height_(clientHeight) {}

LRESULT BackedWindow::Send(std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  if (procedure_) return procedure_(this, message, wParam, lParam);
  return DefWindowProc(message, wParam, lParam);
}

void BackedWindow::SetClientSize(int width, int height) {
  width_ = width;
  height_ = height;
}

Rect BackedWindow::GetClientRect() const {
  return Rect{0, 0, width_, height_};
}

void BackedWindow::InvalidateRect(const Rect&, bool erase) {
  // Every repaint request of this program covers the whole client area, so
  // one flag stands for the update region.
  invalid_ = true;
  erasePending_ = erasePending_ || erase;
}

void BackedWindow::UpdateWindow() {
  if (invalid_) Send(WM_PAINT, 0, 0);
}

Canvas* BackedWindow::BeginPaint() {
  if (erasePending_ && canvas_ != nullptr) canvas_->FillRect(GetClientRect(), kWhite);
  erasePending_ = false;
  invalid_ = false;
  return canvas_;
}

void BackedWindow::ReleaseDC(Canvas* dc) {
  if (dc != nullptr) dc->Flush();
  OnRepainted();
}

void BackedWindow::EndPaint() {
  ++paintCount_;
  if (canvas_ != nullptr) canvas_->Flush();
  OnRepainted();
}

LRESULT BackedWindow::DefWindowProc(std::uint32_t message, WPARAM, LPARAM) {
  switch (message) {
    case WM_PAINT:
      // A paint handler that did not paint still validates the window.
      invalid_ = false;
      erasePending_ = false;
      return 0;
    case WM_CLOSE:
      if (!destroyed_) {
        destroyed_ = true;
        Send(WM_DESTROY, 0, 0);
      }
      return 0;
    default:
      return 0;
  }
}

void BackedWindow::PostQuitMessage(int exitCode) {
  if (quitPosted_) return;
  quitPosted_ = true;
  exitCode_ = exitCode;
}

void BackedWindow::MessageBox(std::string_view text, std::string_view caption,
                              std::string_view detail) {
  messageBoxes_.push_back({std::string(text), std::string(caption), std::string(detail)});
  if (messageSink_ != nullptr) {
    *messageSink_ << "ptpdiag: " << caption << ": " << text << "\n";
    if (!detail.empty()) *messageSink_ << "ptpdiag: " << detail << "\n";
    messageSink_->flush();
  }
  OnMessageBox(messageBoxes_.back());
}

bool BackedWindow::AskYesNo(std::string_view text, std::string_view caption) {
  questions_.push_back({std::string(text), std::string(caption), ""});
  if (messageSink_ != nullptr) {
    *messageSink_ << "ptpdiag: " << caption << ": " << text << " (answered No)\n";
    messageSink_->flush();
  }
  return OnAskYesNo(questions_.back());
}

bool BackedWindow::OnAskYesNo(const MessageBoxRecord&) {
  if (YesNoAnswers.empty()) return false;
  const bool answer = YesNoAnswers.front();
  YesNoAnswers.pop_front();
  return answer;
}

std::uint32_t BackedWindow::WatchedMessage(std::intptr_t socket) const {
  const auto found = watched_.find(socket);
  return found == watched_.end() ? 0 : found->second;
}

void BackedWindow::WatchSocket(std::intptr_t socket, std::uint32_t message) {
  watched_[socket] = message;
  OnWatchChanged(socket, message);
}

void BackedWindow::UnwatchSocket(std::intptr_t socket) {
  if (watched_.erase(socket) > 0) OnWatchChanged(socket, 0);
}

std::optional<std::string> BackedWindow::AskOpenPath(const FilePrompt& prompt) {
  prompts_.push_back(prompt);
  return OnAskPath(prompt, false);
}

std::optional<std::string> BackedWindow::AskSavePath(const FilePrompt& prompt) {
  prompts_.push_back(prompt);
  return OnAskPath(prompt, true);
}

void BackedWindow::SayDialogUnshown(std::string_view caption) {
  if (messageSink_ == nullptr) return;
  *messageSink_ << "ptpdiag: " << caption
                << ": this dialog cannot be shown without a window; nothing was done\n";
  messageSink_->flush();
}

std::optional<std::string> BackedWindow::OnAskPath(const FilePrompt& prompt, bool) {
  if (FileAnswers.empty()) {
    SayDialogUnshown(prompt.Title);
    return std::nullopt;
  }
  std::optional<std::string> answer = std::move(FileAnswers.front());
  FileAnswers.pop_front();
  return answer;
}

void BackedWindow::CheckMenuItem(std::uint32_t id, bool checked) {
  checked_[id] = checked;
  OnMenuItemState(id, MenuItemEnabled(id), checked);
}

void BackedWindow::EnableMenuItem(std::uint32_t id, bool enabled) {
  enabled_[id] = enabled;
  OnMenuItemState(id, enabled, MenuItemChecked(id));
}

bool BackedWindow::MenuItemChecked(std::uint32_t id) const {
  const auto found = checked_.find(id);
  return found != checked_.end() && found->second;
}

bool BackedWindow::MenuItemEnabled(std::uint32_t id) const {
  const auto found = enabled_.find(id);
  return found == enabled_.end() || found->second;
}

std::optional<std::string> BackedWindow::OnSavePicture(const std::string& path) {
  return "this window shows no picture to save as " + path;
}

}  // namespace ptpdiag
