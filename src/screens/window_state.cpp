#include "screens/window_state.h"

namespace ptpdiag {

void RefreshClientRect(WindowState& w) {
  if (w.CurrentWindow != nullptr) w.ClientRect = w.CurrentWindow->GetClientRect();
}

}  // namespace ptpdiag
