// The paint sequence of the main window: header, the selected screen's
// body, footer; and the parts of it the timer tick draws again between
// repaints.
#pragma once

#include "state/diagnostics_store.h"
#include "state/window_state.h"

namespace ptpdiag {

struct AppContext;

// Runs one repaint between BeginPaint and EndPaint of the current window.
void PaintMainWindow(AppContext& app);

// The five values of the header's first row, in the current text colour.
void DrawHeaderValues(WindowState& w, const DiagnosticsStore& s);

// The longest run of missed hops beside "MaxMissed", in black (the text
// colour stays black).
void DrawMaxMissed(WindowState& w, const DiagnosticsStore& s);

// The footer's link event line ("Num= Type= Value=") at x = 500 in the
// current text colour, once any event has been counted; nothing without a
// surface to draw on.
void DrawLinkEventLine(AppContext& app);

}  // namespace ptpdiag
