#include "state/window_state.h"

namespace ptpdiag {

void RefreshClientRect(WindowState& w) {
  if (w.CurrentWindow != nullptr) w.ClientRect = w.CurrentWindow->GetClientRect();
}

void RepaintNow(WindowState& w, bool erase) {
  if (w.CurrentWindow == nullptr) return;
  w.CurrentWindow->InvalidateRect(w.ClientRect, erase);
  w.CurrentWindow->UpdateWindow();
}

}  // namespace ptpdiag
