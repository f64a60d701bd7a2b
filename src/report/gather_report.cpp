#include "report/gather_report.h"

#include "alarms/alarm_rules.h"
#include "files/csv_text.h"
#include "state/app_context.h"
#include "state/figures.h"

namespace ptpdiag {
namespace {

std::string TimeAt(const AppContext& app, std::int64_t ms) {
  return IsoTime(ZonedAfter(app.SystemClock, app.Elapsed.OriginLocal(), ms / 1000));
}

std::vector<ReportSlot> HistoryOf(const DiagnosticsStore& s) {
  std::vector<ReportSlot> slots;
  for (int j = 1; j <= s.HistIndex; ++j) {
    const SlotFigures f = FiguresOfSlot(s, j);
    slots.push_back({f.Seconds, f.SignalDbm, f.NoiseDbm, f.ErrorPercent});
  }
  return slots;
}

// The history's error rate over the slots of the window's time.
std::vector<double> ErrorsInWindow(const std::vector<ReportSlot>& history, const FigureSamples& samples) {
  std::vector<double> errors;
  if (!samples.FirstMs()) return errors;
  const std::int64_t from = *samples.FirstMs() / 1000, to = *samples.LastMs() / 1000 + 1;
  for (const ReportSlot& s : history) {
    if (s.Seconds >= from && s.Seconds <= to) errors.push_back(s.ErrorPct);
  }
  std::sort(errors.begin(), errors.end());
  return errors;
}

std::vector<ReportAlarm> AlarmsOf(const AppContext& app) {
  std::vector<ReportAlarm> alarms;
  for (const AlarmSpell& s : AlarmSpells(app.Alarms)) {
    const AlarmRule& rule = app.Alarms.Rules()[s.Rule];
    ReportAlarm a{rule.Name, std::string(AlarmFigureName(rule.Figure)), TimeAt(app, s.Raised.Ms),
                  AlarmValueWithUnit(rule.Figure, s.Raised.Value), std::nullopt, std::nullopt};
    if (s.Cleared) {
      a.Cleared = TimeAt(app, s.Cleared->Ms);
      a.ClearedValue = AlarmValueWithUnit(rule.Figure, s.Cleared->Value);
    }
    alarms.push_back(std::move(a));
  }
  return alarms;
}

}  // namespace

LinkReport GatherLinkReport(const AppContext& app, const ReportProfile& profile) {
  LinkReport r;
  r.Profile = profile;
  r.Start = TimeAt(app, 0);
  // The last tick's time, which a replay of the recording ends on too.
  r.End = TimeAt(app, app.Alignment.Figures().Ms);
  r.WindowTicks = app.Samples.Ticks();
  if (app.Samples.FirstMs()) {
    r.WindowFrom = TimeAt(app, *app.Samples.FirstMs());
    r.WindowTo = TimeAt(app, *app.Samples.LastMs());
  }
  r.History = HistoryOf(app.Store);
  r.Grades = GradeLink(profile, app.Samples, ErrorsInWindow(r.History, app.Samples));
  r.Quality = app.Quality.Figures();
  r.Alignment = app.Alignment.LastMeasured();
  r.AlignmentBest = TimeAt(app, r.Alignment.BestMs);
  r.Alarms = AlarmsOf(app);
  return r;
}

}  // namespace ptpdiag
