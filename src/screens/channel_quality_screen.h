// Screen 4: channel quality against time. A waterfall of the chosen layer
// over the frequency axis (newest row on top, ages down the left), the
// flagged channels marked under it, and at the right the colour scale and
// the worst channels with their duty and period.
#pragma once

#include "quality/channel_quality.h"
#include "state/window_state.h"

namespace ptpdiag {

// A cell's colour by its step on the layer's scale, 0 (coldest) to 9.
inline constexpr int kWaterfallSteps = 10;
Rgb WaterfallStepColour(int step);

void DrawChannelQualityScreen(WindowState& w, const Waterfall& waterfall,
                              const QualityFigures& figures);

}  // namespace ptpdiag
