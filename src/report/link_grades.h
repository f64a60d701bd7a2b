// A link graded against a profile's limits over the acceptance window:
// each limit passes, fails or is not measured (no sample in the window),
// with the measured value and the statistic it is; and the evidence
// behind it, each figure's 1st, 50th and 99th percentiles.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "alarms/figure_samples.h"
#include "report/report_profile.h"

namespace ptpdiag {

enum class Grade { Pass, Fail, NotMeasured };

struct Verdict {
  std::string Name;       // "Signal", "Fade margin", ...
  std::string Statistic;  // "1st percentile", "99th percentile", "highest"
  bool AtLeast = true;    // the limit is a minimum; else a maximum
  double Limit = 0;
  std::string Unit;
  std::optional<double> Measured;  // rounded as shown
  std::size_t Samples = 0;
  Grade Outcome = Grade::NotMeasured;
};

struct FigureEvidence {
  std::string Figure;  // "Signal", "SNR", ...
  std::string Unit;
  std::optional<Percentiles> Values;
};

struct LinkGrades {
  std::vector<Verdict> Verdicts;
  std::vector<FigureEvidence> Evidence;
  std::optional<Percentiles> FadeMarginDb;  // the level's percentiles less the sensitivity
  Grade Overall = Grade::NotMeasured;  // fail if any fails; pass only if all pass
};

// `errorPercents`: the history's error rate in the window, ascending.
LinkGrades GradeLink(const ReportProfile& profile, const FigureSamples& samples,
                     const std::vector<double>& errorPercents);

std::string GradeWord(Grade grade);  // "pass", "fail", "not measured"

// The value as the report shows it: one decimal, the same in every build.
double ShownRounding(double value);

}  // namespace ptpdiag
