#include "report/history_plot.h"

#include <algorithm>
#include <cmath>

#include "alarms/alarm_rules.h"

namespace ptpdiag {
namespace {

constexpr int kWidth = 800, kLeft = 60, kRight = 780;
constexpr int kLevelTop = 20, kLevelBottom = 220, kErrorTop = 250, kErrorBottom = 330;
constexpr int kHeight = 360;

struct Scale {
  double From, To;
  int Low, High;  // pixels for From and To
  double At(double v) const { return Low + (v - From) / (To - From) * (High - Low); }
};

std::string Px(double v) {
  return AlarmValueText(v);
}

std::string Polyline(const std::vector<ReportSlot>& history, const Scale& x, const Scale& y,
                     std::optional<double> (*value)(const ReportSlot&), const char* colour) {
  std::string out;
  std::string points;
  const auto flush = [&] {
    if (!points.empty())
      out += "<polyline fill=\"none\" stroke=\"" + std::string(colour) + "\" points=\"" + points + "\"/>\n";
    points.clear();
  };
  for (const ReportSlot& s : history) {
    const std::optional<double> v = value(s);
    if (!v) {
      flush();  // a gap where the slot has no value
      continue;
    }
    points += (points.empty() ? "" : " ") + Px(x.At(s.Seconds)) + "," + Px(y.At(*v));
  }
  flush();
  return out;
}

std::string AxisText(double x, double y, const std::string& text, const char* anchor) {
  return "<text x=\"" + Px(x) + "\" y=\"" + Px(y) + "\" font-size=\"12\" text-anchor=\"" + anchor +
         "\">" + text + "</text>\n";
}

std::string GridLine(double x1, double y1, double x2, double y2) {
  return "<line x1=\"" + Px(x1) + "\" y1=\"" + Px(y1) + "\" x2=\"" + Px(x2) + "\" y2=\"" + Px(y2) +
         "\" stroke=\"#ccc\"/>\n";
}

// The dBm range over every value, widened to whole tens.
Scale LevelScale(const std::vector<ReportSlot>& history) {
  double low = 0, high = -130;
  for (const ReportSlot& s : history) {
    low = std::min({low, s.NoiseDbm, s.SignalDbm.value_or(s.NoiseDbm)});
    high = std::max({high, s.NoiseDbm, s.SignalDbm.value_or(s.NoiseDbm)});
  }
  if (low > high) std::swap(low, high);
  low = std::floor(low / 10) * 10;
  high = std::max(low + 10, std::ceil(high / 10) * 10);
  return {low, high, kLevelBottom, kLevelTop};
}

std::string LevelGrid(const Scale& y) {
  std::string out;
  const double step = y.To - y.From > 60 ? 20 : 10;
  for (double v = y.From; v <= y.To; v += step) {
    out += GridLine(kLeft, y.At(v), kRight, y.At(v));
    out += AxisText(kLeft - 4, y.At(v) + 4, std::to_string(std::lround(v)), "end");
  }
  return out + AxisText(kLeft, kLevelTop - 6, "dBm: signal (blue), noise (red)", "start");
}

std::string TimeGrid(const Scale& x) {
  std::string out;
  for (int i = 0; i <= 4; ++i) {
    const double t = x.From + (x.To - x.From) * i / 4;
    out += GridLine(x.At(t), kLevelTop, x.At(t), kErrorBottom);
    out += AxisText(x.At(t), kErrorBottom + 16, ElapsedText(std::llround(t)), "middle");
  }
  return out;
}

}  // namespace

std::string ElapsedText(std::int64_t seconds) {
  const std::int64_t h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
  const auto two = [](std::int64_t v) { return (v < 10 ? "0" : "") + std::to_string(v); };
  return h > 0 ? std::to_string(h) + ":" + two(m) + ":" + two(s) : std::to_string(m) + ":" + two(s);
}

std::string HistoryPlotSvg(const std::vector<ReportSlot>& history) {
  std::string svg = "<svg viewBox=\"0 0 " + std::to_string(kWidth) + " " + std::to_string(kHeight) +
                    "\" role=\"img\" aria-label=\"History of the session\">\n";
  if (history.empty()) {
    return svg + AxisText(kWidth / 2.0, kHeight / 2.0, "No history yet", "middle") + "</svg>\n";
  }
  const double first = history.front().Seconds;
  const Scale x{first, std::max(first + 1, static_cast<double>(history.back().Seconds)), kLeft, kRight};
  const Scale level = LevelScale(history);
  const Scale error{0, 100, kErrorBottom, kErrorTop};
  svg += LevelGrid(level) + TimeGrid(x);
  svg += GridLine(kLeft, kErrorTop, kRight, kErrorTop) + GridLine(kLeft, kErrorBottom, kRight, kErrorBottom);
  svg += AxisText(kLeft - 4, kErrorTop + 4, "100", "end") + AxisText(kLeft - 4, kErrorBottom + 4, "0", "end");
  svg += AxisText(kLeft, kErrorTop - 6, "Error rate, %", "start");
  svg += Polyline(history, x, level, [](const ReportSlot& s) { return s.SignalDbm; }, "#0050c8");
  svg += Polyline(history, x, level, [](const ReportSlot& s) { return std::optional(s.NoiseDbm); }, "#c80000");
  svg += Polyline(history, x, error, [](const ReportSlot& s) { return std::optional(s.ErrorPct); }, "#444");
  return svg + "</svg>\n";
}

}  // namespace ptpdiag
