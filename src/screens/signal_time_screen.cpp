#include "screens/signal_time_screen.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string>

#include "screens/format_masked.h"
#include "screens/text_grid.h"
#include "state/nearest.h"

namespace ptpdiag {
namespace {

constexpr Rgb kRateOlive{128, 128, 0};
constexpr Rgb kRcvdOrange{192, 128, 0};
constexpr double kErrorScale = static_cast<double>(0.64F);
constexpr double kPercentScale = static_cast<double>(2.56F);

struct CurveStats {
  std::int64_t Sum = 0;
  std::int32_t Maximum = 0;
  std::int32_t Minimum = 0;
  std::int32_t Last = 0;
  std::int32_t Average = 0;
};

struct RateHeights {
  std::int32_t Xmit = 0;
  std::int32_t Rcvd = 0;
};

void DrawBoxGridAndScales(WindowState& w) {
  DeviceContext& dc = w.ScreenDC;
  PrintAt(w, 1, 26, "Signal Quality vs Time");
  dc.SelectBrush(kStockBlackBrush);
  dc.SelectPen(w.PenGrey);
  dc.Rectangle(100, 80, 700, 480);
  for (int x = 200; x <= 600; x += 100) {
    dc.MoveToEx(x, 80);
    dc.LineTo(x, 480);
  }
  for (int y = 160; y <= 400; y += 80) {
    dc.MoveToEx(100, y);
    dc.LineTo(700, y);
  }
  for (int y = 80; y <= 480; y += 80) {
    SetTextCursorAt(w, y + 8, 60);
    PrintAtCursor(w, FormatMasked(100 - (y - 80) / 4, "###"));
  }
  dc.SetTextColor(kRateOlive);
  for (int y = 80; y <= 480; y += 80) {
    SetTextCursorAt(w, y + 8, 10);
    PrintAtCursor(w, FormatMasked(20 - (y - 80) / 20, "* #K"));
  }
  dc.SetTextColor(kBlack);
  dc.SetROP2(R2_COPYPEN);
}

void DrawTimeLabels(WindowState& w, const TimeAxis& axis) {
  if (axis.Hours) {
    PrintAt(w, 3.5F, 37, "Hours Ago");
  } else {
    PrintAt(w, 3.5F, 34, "Minutes Ago");
  }
  const double unit = axis.Hours ? 3600.0 : 60.0;
  for (int i = 0; i <= 6; ++i) {
    PrintAt(w, 4.5F, 10 * i + 7, FormatMasked((6.0 - i) * axis.Span / unit / 6.0, "* #.##"));
  }
}

// Draws one level curve through slots 1..HistIndex and sums it up.
CurveStats PlotHistoryCurve(WindowState& w, const DiagnosticsStore& s, const TimeAxis& axis,
                            const Pen& pen, const HistorySeries& series,
                            const std::function<std::int32_t(std::int32_t)>& yOf) {
  DeviceContext& dc = w.ScreenDC;
  dc.SelectPen(pen);
  dc.MoveToEx(TimeX(axis, s.HistTime[1]), yOf(series[1]));
  CurveStats stats;
  stats.Minimum = 99;
  for (int j = 1; j <= s.HistIndex; ++j) {
    const std::int32_t v = series[static_cast<std::size_t>(j)];
    dc.LineTo(TimeX(axis, s.HistTime[static_cast<std::size_t>(j)]), yOf(v));
    stats.Sum += v;
    stats.Maximum = std::max(stats.Maximum, v);
    stats.Minimum = std::min(stats.Minimum, v);
    stats.Last = v;
  }
  stats.Average = Nearest(static_cast<double>(stats.Sum) / s.HistIndex);
  return stats;
}

// Draws a data rate as steps, one per slot, from the previous slot's time to
// its own; returns the last step's height before it is limited to 400.
std::int32_t PlotRateSteps(WindowState& w, const DiagnosticsStore& s, const TimeAxis& axis,
                           const Pen& pen, const HistorySeries& counts) {
  DeviceContext& dc = w.ScreenDC;
  dc.SelectPen(pen);
  dc.MoveToEx(TimeX(axis, s.HistTime[1]), 480);
  std::int32_t last = 0;
  for (int j = 1; j <= s.HistIndex - 1; ++j) {
    const auto u = static_cast<std::size_t>(j);
    std::int64_t dt = static_cast<std::int64_t>(s.HistTime[u]) - s.HistTime[u - 1];
    if (dt == 0) dt = 1;
    std::int32_t h = Nearest(counts[u] / static_cast<double>(dt) / 50.0);
    last = h;
    h = std::min(h, 400);
    dc.LineTo(TimeX(axis, s.HistTime[u - 1]), 480 - h);
    dc.LineTo(TimeX(axis, s.HistTime[u]), 480 - h);
  }
  return last;
}

std::string Percentages(const CurveStats& error) {
  return FormatMasked(error.Maximum / kPercentScale, "* #") +
         FormatMasked(error.Average / kPercentScale, "* ##") +
         FormatMasked(error.Last / kPercentScale, "* #");
}

void DrawSidePanel(WindowState& w, const DiagnosticsStore& s, const CurveStats& signal,
                   const CurveStats& noise, const CurveStats& error, const RateHeights& rates) {
  DeviceContext& dc = w.ScreenDC;
  dc.SetTextColor(Rgb{0, 0, 160});
  PrintAt(w, 5, 72, " Error  %");
  PrintAt(w, 6, 72, "Mx Ave Ls");
  PrintAt(w, 7, 71, Percentages(error));

  dc.SetTextColor(Rgb{0, 160, 0});
  PrintAt(w, 10, 72, "Signal Lv");
  PrintAt(w, 11, 72, "Mx Ave Ls");
  PrintAt(w, 12, 71,
          FormatMasked(128 - signal.Maximum, "* #") + FormatMasked(128 - signal.Average, "* #") +
              FormatMasked(128 - signal.Last, "* #"));

  dc.SetTextColor(Rgb{160, 0, 0});
  PrintAt(w, 15, 72, "Noise  Lv");
  PrintAt(w, 16, 72, "Mx Ave Mn");
  PrintAt(w, 17, 71,
          FormatMasked(128 - noise.Maximum, "* #") + FormatMasked(128 - noise.Average, "* ##") +
              FormatMasked(128 - noise.Minimum, "* #"));

  dc.SetTextColor(kRateOlive);
  PrintAt(w, 19, 72, "Xmit Rate");
  PrintAt(w, 20, 72, " kB/s");
  PrintAt(w, 21, 71, FormatMasked(rates.Xmit / 20.0, "* #.00"));

  dc.SetTextColor(kRcvdOrange);
  PrintAt(w, 23, 72, "Rcvd Rate");
  PrintAt(w, 24, 72, " kB/s");
  PrintAt(w, 25, 71, FormatMasked(rates.Rcvd / 20.0, "* #.00"));

  dc.SetTextColor(kBlack);
  PrintAt(w, 28, 72, "NumPoints");
  PrintAt(w, 29, 75, FormatMasked(s.HistIndex, "###"));
}

std::int32_t LevelY(std::int32_t level) {
  return Wrap32(480 - 4LL * level);
}
std::int32_t ErrorY(std::int32_t rate) {
  return Nearest(478.0 - rate / kErrorScale);
}

}  // namespace

TimeAxis ChooseTimeAxis(std::int32_t age, std::int32_t now) {
  TimeAxis axis;
  if (age < 3600) {
    axis.Span = age < 450 ? 450 : age < 900 ? 900 : age < 1800 ? 1800 : 3600;
  } else {
    static constexpr std::array<std::int32_t, 8> kHourSpans = {7200,  14400,  28800,  57600,
                                                               86400, 172800, 345600, 691200};
    axis.Hours = true;
    axis.Span = 5529600;
    for (std::int32_t span : kHourSpans) {
      if (span > age) {
        axis.Span = span;
        break;
      }
    }
  }
  axis.Start = static_cast<std::int64_t>(now) - axis.Span;
  return axis;
}

std::int32_t TimeX(const TimeAxis& axis, std::int32_t t) {
  return Nearest(100.0 + 600.0 * static_cast<double>(t - axis.Start) / axis.Span);
}

void DrawSignalVsTime(WindowState& w, const DiagnosticsStore& s, std::int32_t now) {
  DrawBoxGridAndScales(w);
  CurveStats signal, noise, error;
  RateHeights rates;
  if (s.HistIndex > 0) {
    const TimeAxis axis =
        ChooseTimeAxis(Wrap32(static_cast<std::int64_t>(now) - s.HistTime[1]), now);
    DrawTimeLabels(w, axis);
    signal = PlotHistoryCurve(w, s, axis, w.PenGreen, s.HistSignal, LevelY);
    noise = PlotHistoryCurve(w, s, axis, w.PenRed, s.HistNoise, LevelY);
    error = PlotHistoryCurve(w, s, axis, w.PenBlue, s.HistErrorRate, ErrorY);
    rates.Xmit = PlotRateSteps(w, s, axis, w.PenOlive, s.HistXmit);
    rates.Rcvd = PlotRateSteps(w, s, axis, w.PenOrange, s.HistRcvd);
  }
  DrawSidePanel(w, s, signal, noise, error, rates);
}

}  // namespace ptpdiag
