#include "screens/text_grid.h"

#include "state/nearest.h"

namespace ptpdiag {

void SetTextCursor(WindowState& w, float row, int column) {
  RefreshClientRect(w);
  w.TextRect = w.ClientRect;
  w.TextRect.bottom = w.TextRect.top + Nearest(16.0 * static_cast<double>(row));
  w.TextRect.left += 10 * column - 10;
}

void SetTextCursorAt(WindowState& w, int bottom, int left) {
  w.TextRect = w.ClientRect;
  w.TextRect.bottom = w.ClientRect.top + bottom;
  w.TextRect.left = w.ClientRect.left + left;
}

void PrintAtCursor(WindowState& w, std::string_view text) {
  w.ScreenDC.DrawText(text, w.TextRect);
  w.TextRect.left += kCellWidth * static_cast<std::int32_t>(text.size());
}

void PrintAt(WindowState& w, float row, int column, std::string_view text) {
  SetTextCursor(w, row, column);
  PrintAtCursor(w, text);
}

}  // namespace ptpdiag
