// Single-key control of the display (WM_KEYDOWN) and the mouse bands that
// act as some of its keys.
#pragma once

#include "platform/messages.h"

namespace ptpdiag {

struct AppContext;

// Runs the key's action by its virtual-key code; returns 0.
LRESULT OnKeyDown(AppContext& app, WPARAM key);

// A left or right button press at `lParam` (client coordinates): records
// ClickY and acts as Up, Down, Page Up or Page Down inside their bands.
LRESULT OnButtonDown(AppContext& app, bool left, LPARAM lParam);

}  // namespace ptpdiag
