#include "state/window_state.h"

namespace ptpdiag {

namespace {
constexpr std::size_t kStatusTextLimit = 255;
}  // namespace

void ShowStatusText(WindowState& w, std::string text) {
  if (text.size() > kStatusTextLimit) text.resize(kStatusTextLimit);
  w.StatusText = std::move(text);
  if (w.CurrentWindow != nullptr) w.CurrentWindow->SetStatusText(w.StatusText);
}

void ShowStatusNote(WindowState& w, const std::string& text) {
  if (text == w.StatusNote || w.CurrentWindow == nullptr) return;
  w.StatusNote = text;
  w.CurrentWindow->SetStatusNote(text);
}

void RefreshClientRect(WindowState& w) {
  if (w.CurrentWindow != nullptr) w.ClientRect = w.CurrentWindow->GetClientRect();
}

void RepaintNow(WindowState& w, bool erase) {
  if (w.CurrentWindow == nullptr) return;
  w.CurrentWindow->InvalidateRect(w.ClientRect, erase);
  w.CurrentWindow->UpdateWindow();
}

}  // namespace ptpdiag
