#include "link/alarm_check.h"

#include "state/app_context.h"

namespace ptpdiag {
namespace {

// The link has been quiet since the last tick with a good frame, or since
// it opened; nothing while no link is open and no recording plays.
std::optional<double> QuietSeconds(AppContext& app, const AlignmentFigures& tick) {
  const std::int64_t now = app.SessionMs();
  const bool listening = LinkIsOpen(app.Link) || app.Link.ReplayFeed != nullptr;
  if (!listening || tick.RawDbm || now < app.QuietSinceMs) {
    app.QuietSinceMs = now;
    if (!listening) return std::nullopt;
  }
  return static_cast<double>(now - app.QuietSinceMs) / 1000.0;
}

}  // namespace

AlarmInputs AlarmInputsOf(AppContext& app) {
  AlarmInputs in;
  const AlignmentFigures& tick = app.Alignment.Figures();
  in[AlarmFigure::Level] = tick.LevelDbm;
  in[AlarmFigure::Snr] = tick.SnrDb;
  in[AlarmFigure::GoodPct] = tick.GoodPct;
  in[AlarmFigure::SecondsWithoutData] = QuietSeconds(app, tick);
  in[AlarmFigure::Vswr] = app.Transmitter.HighestVswr(app.SessionMs());
  // Known while frames come (in the last second), once a period has closed
  // since the reset: the header shows nought until then.
  if (tick.GoodPct && app.Store.HistIndex > 0) {
    const DiagnosticsStore& s = app.Store;
    in[AlarmFigure::ReceivedRate] = s.RcvdRateSmooth;
    in[AlarmFigure::Current] = s.ShownCurrent;
  }
  const std::optional<double> floor = app.Quality.FloorDbm();
  in[AlarmFigure::NoiseFloor] = floor;
  if (floor) in[AlarmFigure::FlaggedChannels] = app.Quality.FlaggedChannels(floor);
  return in;
}

std::string AlarmTransitionWords(const AlarmRule& rule, const AlarmTransition& t) {
  const std::string figure(AlarmFigureName(rule.Figure));
  if (!t.Raised) return "Alarm cleared: " + rule.Name + " (" + figure + " " + AlarmValueWithUnit(rule.Figure, t.Value) + ")";
  return "Alarm: " + rule.Name + " (" + figure + " " + AlarmValueWithUnit(rule.Figure, t.Value) + ", " +
         std::string(AlarmDirectionName(rule.Direction)) + " " + AlarmValueWithUnit(rule.Figure, rule.Threshold) + ")";
}

void CheckAlarms(AppContext& app) {
  const AlarmInputs inputs = AlarmInputsOf(app);
  app.Samples.Add(inputs, app.SessionMs());
  const auto& transitions = app.Alarms.Check(inputs, app.SessionMs());
  for (const AlarmTransition& t : transitions) {
    const std::string words = AlarmTransitionWords(app.Alarms.Rules()[t.Rule], t);
    ShowStatusText(app.Window, words);
    app.Link.EventLog.Write(words, app.SystemClock.MonotonicMs());
  }
}

}  // namespace ptpdiag
