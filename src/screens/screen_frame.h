// The paint sequence of the main window: header, the selected screen's
// body, footer.
#pragma once

namespace ptpdiag {

struct AppContext;

// Runs one repaint between BeginPaint and EndPaint of the current window.
void PaintMainWindow(AppContext& app);

}  // namespace ptpdiag
