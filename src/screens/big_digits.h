// Numbers drawn large from filled bars, seven-segment style, to be read
// from a couple of metres away: the screen font has one small size.
#pragma once

#include <string_view>

#include "state/device_context.h"

namespace ptpdiag {

// Draws `text` (digits, '-', '.', ' '; anything else as a space) with its
// top-left corner at (left, top), `height` pixels tall; returns the x just
// right of it.
int DrawBigText(DeviceContext& dc, std::string_view text, int left, int top, int height, Rgb colour);

// The width DrawBigText would take.
int BigTextWidth(std::string_view text, int height);

}  // namespace ptpdiag
