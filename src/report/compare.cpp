#include "report/compare.h"

#include <cmath>

#include "alarms/alarm_rules.h"
#include "quality/json_fields.h"
#include "report/link_grades.h"
#include "state/app_context.h"
#include "state/figures.h"

namespace ptpdiag {
namespace {

std::optional<double> Rounded(const std::optional<double>& v) {
  if (!v) return std::nullopt;
  return ShownRounding(*v) + 0.0;
}

std::optional<double> Median(const FigureSamples& samples, AlarmFigure figure) {
  const auto p = PercentilesOf(samples.Sorted(figure));
  if (!p) return std::nullopt;
  return p->P50;
}

ChannelSummary ChannelOf(const DiagnosticsStore& store, int channel) {
  const ChannelFigures f = FiguresOfChannel(store, channel);
  if (!f.Reached) return {};
  return {Rounded(f.SignalDbm), Rounded(f.NoiseDbm), Rounded(f.GoodPercent), Rounded(f.Vswr),
          Rounded(f.CurrentMa)};
}

// The share of good visits over every channel; none without visits.
std::optional<double> GoodShare(const QualityFigures& q) {
  double good = 0, visits = 0;
  for (const QualityOfChannel& c : q.Channels) {
    if (!c.GoodPct) continue;
    good += *c.GoodPct * static_cast<double>(c.Visits);
    visits += static_cast<double>(c.Visits);
  }
  if (visits == 0) return std::nullopt;
  return good / visits;
}

struct Figure {
  const char* Key;
  std::optional<double> SessionSummary::*Summary;
};
constexpr Figure kSummaryFigures[] = {
    {"SignalDb", &SessionSummary::SignalDbm}, {"NoiseDb", &SessionSummary::NoiseDbm},
    {"GoodPct", &SessionSummary::GoodPct},    {"Vswr", &SessionSummary::Vswr},
    {"CurrentMa", &SessionSummary::CurrentMa}, {"FlaggedChannels", &SessionSummary::FlaggedChannels},
    {"FadeMarginDb", &SessionSummary::FadeMarginDb},
};

struct ChannelFigure {
  const char* Key;
  std::optional<double> ChannelSummary::*Value;
};
constexpr ChannelFigure kChannelFigures[] = {
    {"SignalDb", &ChannelSummary::SignalDbm}, {"NoiseDb", &ChannelSummary::NoiseDbm},
    {"GoodPct", &ChannelSummary::GoodPct},    {"Vswr", &ChannelSummary::Vswr},
    {"CurrentMa", &ChannelSummary::CurrentMa},
};

std::string SideJson(const CompareSide& side) {
  json::Fields f;
  f.Add("File", json::Text(side.File));
  f.Add("Sha256", json::Text(side.Sha256));
  f.Add("Minutes", json::Real(ShownRounding(side.Minutes)));
  return f.Close();
}

}  // namespace

std::optional<double> Change(const std::optional<double>& before, const std::optional<double>& after) {
  if (!before || !after) return std::nullopt;
  // Both as shown, so the change is what a reader works out; + 0.0 makes -0 a 0.
  return ShownRounding(ShownRounding(*after) - ShownRounding(*before)) + 0.0;
}

SessionSummary SummaryOf(const AppContext& app, const ReportProfile& profile) {
  SessionSummary s;
  const QualityFigures quality = app.Quality.Figures();
  s.SignalDbm = Rounded(Median(app.Samples, AlarmFigure::Level));
  s.NoiseDbm = Rounded(quality.FloorDbm);
  s.GoodPct = Rounded(GoodShare(quality));
  s.Vswr = Rounded(Median(app.Samples, AlarmFigure::Vswr));
  s.CurrentMa = Rounded(Median(app.Samples, AlarmFigure::Current));
  if (quality.FloorDbm) {
    int flagged = 0;
    for (const QualityOfChannel& c : quality.Channels) flagged += c.Flagged ? 1 : 0;
    s.FlaggedChannels = flagged;
  }
  const auto level = PercentilesOf(app.Samples.Sorted(AlarmFigure::Level));
  if (level) s.FadeMarginDb = Rounded(level->P1 - profile.SensitivityDbm);
  for (int c = 1; c <= kComparedChannels; ++c) s.Channels[c - 1] = ChannelOf(app.Store, c);
  return s;
}

std::string CompareJson(const CompareSide& before, const CompareSide& after) {
  json::Fields summary;
  for (const Figure& f : kSummaryFigures)
    summary.Add(f.Key, json::Maybe(Change(before.Summary.*f.Summary, after.Summary.*f.Summary)));
  std::string channels = "[";
  for (int c = 0; c < kComparedChannels; ++c) {
    json::Fields row;
    row.Add("Channel", std::to_string(c + 1));
    for (const ChannelFigure& f : kChannelFigures) {
      row.Add(f.Key, json::Maybe(Change(before.Summary.Channels[c].*f.Value, after.Summary.Channels[c].*f.Value)));
    }
    channels += (c ? ",\n    " : "\n    ") + row.Close();
  }
  return "{\"Before\": " + SideJson(before) + ",\n  \"After\": " + SideJson(after) +
         ",\n  \"Summary\": " + summary.Close() + ",\n  \"Channels\": " + channels + "]}";
}

std::string CompareSentence(const SessionSummary& before, const SessionSummary& after) {
  const auto db = [](const char* name, const std::optional<double>& change) {
    if (!change) return std::string(name) + " not measured";
    if (*change == 0) return std::string(name) + " unchanged";
    return std::string(name) + " " + (*change > 0 ? "+" : "") + AlarmValueText(*change) + " dB";
  };
  std::string text = "After: " + db("signal", Change(before.SignalDbm, after.SignalDbm)) + ", " +
                     db("noise floor", Change(before.NoiseDbm, after.NoiseDbm)) + ", ";
  const auto flagged = Change(before.FlaggedChannels, after.FlaggedChannels);
  if (!flagged) return text + "flagged channels not measured";
  const long n = std::lround(std::fabs(*flagged));
  if (n == 0) return text + "flagged channels unchanged";
  return text + std::to_string(n) + (*flagged < 0 ? " fewer" : " more") + " flagged channel" + (n == 1 ? "" : "s");
}

}  // namespace ptpdiag
