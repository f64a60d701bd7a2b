// Text placement on the 10 x 16 pixel character grid.
#pragma once

#include <string_view>

#include "state/window_state.h"

namespace ptpdiag {

// Puts the text cursor at (row, column): the row's bottom lies 16 x row
// pixels (to the nearest pixel) below the client top, column c starts
// 10 x (c - 1) pixels right of the client left. Re-reads the client area.
void SetTextCursor(WindowState& w, float row, int column);

// Puts the text cursor by pixels: bottom at client top + bottom, left edge
// at client left + left.
void SetTextCursorAt(WindowState& w, int bottom, int left);

// Draws the text at the cursor on ScreenDC in the current text colour and
// moves the cursor right by 10 pixels per character.
void PrintAtCursor(WindowState& w, std::string_view text);

// Both in one step.
void PrintAt(WindowState& w, float row, int column, std::string_view text);

}  // namespace ptpdiag
