#include "report/link_grades.h"

#include <cmath>

namespace ptpdiag {
namespace {

enum class Statistic { P1, P99, Highest };

const char* StatisticName(Statistic s) {
  switch (s) {
    case Statistic::P1: return "1st percentile";
    case Statistic::P99: return "99th percentile";
    case Statistic::Highest: return "highest";
  }
  return "";
}

double Pick(const Percentiles& p, Statistic s) {
  switch (s) {
    case Statistic::P1: return p.P1;
    case Statistic::P99: return p.P99;
    case Statistic::Highest: return p.Max;
  }
  return 0;
}

Verdict Graded(std::string name, std::string unit, const std::optional<Percentiles>& values,
              Statistic statistic, bool atLeast, double limit, double offset = 0) {
  Verdict v;
  v.Name = std::move(name);
  v.Statistic = StatisticName(statistic);
  v.AtLeast = atLeast;
  v.Limit = limit;
  v.Unit = std::move(unit);
  if (!values) return v;
  v.Samples = values->Count;
  v.Measured = ShownRounding(Pick(*values, statistic) - offset);
  const bool within = atLeast ? *v.Measured >= limit : *v.Measured <= limit;
  v.Outcome = within ? Grade::Pass : Grade::Fail;
  return v;
}

std::optional<Percentiles> Less(std::optional<Percentiles> p, double by) {
  if (p) {
    for (double* v : {&p->Min, &p->P1, &p->P50, &p->P99, &p->Max}) *v -= by;
  }
  return p;
}

}  // namespace

double ShownRounding(double value) {
  return std::nearbyint(value * 10.0) / 10.0;
}

std::string GradeWord(enum Grade grade) {
  switch (grade) {
    case Grade::Pass: return "pass";
    case Grade::Fail: return "fail";
    case Grade::NotMeasured: return "not measured";
  }
  return "";
}

LinkGrades GradeLink(const ReportProfile& limits, const FigureSamples& samples,
                     const std::vector<double>& errorPercents) {
  const auto of = [&samples](AlarmFigure f) { return PercentilesOf(samples.Sorted(f)); };
  LinkGrades g;
  const auto level = of(AlarmFigure::Level);
  const auto good = of(AlarmFigure::GoodPct);
  const auto errors = PercentilesOf(errorPercents);
  const auto vswr = of(AlarmFigure::Vswr);
  const auto current = of(AlarmFigure::Current);
  const auto floor = of(AlarmFigure::NoiseFloor);
  const auto flagged = of(AlarmFigure::FlaggedChannels);
  g.Evidence = {{"Signal", "dBm", level},
                {"SNR", "dB", of(AlarmFigure::Snr)},
                {"Good hops", "%", good},
                {"Received rate", "%", of(AlarmFigure::ReceivedRate)},
                {"Error rate", "%", errors},
                {"VSWR", "", vswr},
                {"Current", "mA", current},
                {"Noise floor", "dBm", floor},
                {"Flagged channels", "", flagged}};
  g.FadeMarginDb = Less(level, limits.SensitivityDbm);
  g.Verdicts = {
      Graded("Signal", "dBm", level, Statistic::P1, true, limits.MinSignalDbm),
      Graded("Fade margin", "dB", level, Statistic::P1, true, limits.MinFadeMarginDb,
            limits.SensitivityDbm),
      Graded("Good hops", "%", good, Statistic::P1, true, limits.MinGoodPct),
      Graded("Error rate", "%", errors, Statistic::P99, false, limits.MaxErrorPct),
      Graded("VSWR", "", vswr, Statistic::Highest, false, limits.MaxVswr),
      Graded("Current, lowest", "mA", current, Statistic::P1, true, limits.MinCurrentMa),
      Graded("Current, highest", "mA", current, Statistic::P99, false, limits.MaxCurrentMa),
      Graded("Noise floor", "dBm", floor, Statistic::P99, false, limits.MaxNoiseFloorDbm),
      Graded("Flagged channels", "", flagged, Statistic::P99, false, limits.MaxFlaggedChannels),
  };
  bool all = true;
  g.Overall = Grade::Pass;
  for (const Verdict& v : g.Verdicts) {
    if (v.Outcome == Grade::Fail) g.Overall = Grade::Fail;
    all = all && v.Outcome == Grade::Pass;
  }
  if (g.Overall != Grade::Fail && !all) g.Overall = Grade::NotMeasured;
  return g;
}

}  // namespace ptpdiag
