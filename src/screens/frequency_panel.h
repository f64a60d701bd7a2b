// The frequency panel that screens 1 and 2 share: title, black plot box with
// its grid, percentage scale, frequency axis, and the per-channel curves.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string_view>

#include "state/diagnostics_store.h"
#include "state/window_state.h"

namespace ptpdiag {

// Channels 0..111 are shown; statistics cover channels 1..111.
inline constexpr int kShownChannels = 112;

// Pixels per channel along the axis (single-precision constants).
inline constexpr float kChannelStep = 4.608F;
inline constexpr float kGoodChannelStep = 4.604F;

struct SeriesStats {
  std::int32_t Maximum = 0;  // from 0
  // The smallest nonzero value of channels 1..111 (0 is a channel no frame
  // reached); 0 when every channel is 0.
  std::int32_t Minimum = 0;
  std::int64_t Sum = 0;
  std::int32_t Average = 0;  // Sum / 111 to the nearest integer
  std::int32_t Last = 0;     // channel 111
};

struct LegendValue {
  double Value;
  std::string_view Mask;
};

// Prints the values one after another from row `row`, column 71.
void PrintLegendRow(WindowState& w, float row, std::initializer_list<LegendValue> values);

// x of channel i: 144 + step x i to the nearest pixel.
std::int32_t ChannelX(float step, int channel);

// Title, box, grid, percentage scale, then `secondScale` (if any), then the
// frequency axis.
void DrawFrequencyPanel(WindowState& w, std::string_view title,
                        const std::function<void(WindowState&)>& secondScale = {});

// Title, the plot box in black without its grid, and the frequency axis:
// for a screen that fills the box itself.
void DrawChannelAxisPanel(WindowState& w, std::string_view title);

// Left edge of channel i's column on the axis (halfway to channel i - 1);
// channel i + 1's left edge is its right.
std::int32_t ChannelColumnLeft(int channel);

// Draws values[i] / divisor above y = 480 for channels 0..111 with `pen`
// and returns the statistics over channels 1..111.
SeriesStats PlotChannelSeries(WindowState& w, const Pen& pen, double divisor,
                              const ChannelTable& values, float step = kChannelStep);

// The same curve dotted (a dot every 4 pixels along it), for a recording
// compared with the live link.
void PlotDottedChannelSeries(WindowState& w, const Pen& pen, double divisor, const ChannelTable& values);

}  // namespace ptpdiag
