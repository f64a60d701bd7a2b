// Alarm rules: a figure of the link, the side of the threshold that is
// bad, the threshold, a clear threshold on the good side of it (so a
// figure dithering about the threshold does not raise and clear in turn)
// and how long the figure must stay bad before the alarm is raised.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ptpdiag {

enum class AlarmFigure {
  Level,               // the alignment level, dBm
  Snr,                 // dB
  GoodPct,             // good hops of the last second, %
  ReceivedRate,        // the header's Rcvd Rate, %
  Vswr,                // the highest VSWR reading of the last second
  Current,             // the header's current, mA
  NoiseFloor,          // the link's noise floor, dBm
  SecondsWithoutData,  // since the last good frame, while a link is open
  FlaggedChannels,     // channels flagged as interfered
};

enum class AlarmDirection { Above, Below };  // the bad side

struct AlarmRule {
  std::string Name;
  AlarmFigure Figure = AlarmFigure::Level;
  AlarmDirection Direction = AlarmDirection::Below;
  double Threshold = 0;
  double Clear = 0;
  double HoldSeconds = 0;
};

std::string_view AlarmFigureName(AlarmFigure figure);  // "level", "snr", ...
std::optional<AlarmFigure> AlarmFigureNamed(std::string_view name);
std::string_view AlarmFigureUnit(AlarmFigure figure);  // "dBm", "%", ...
std::string_view AlarmDirectionName(AlarmDirection direction);  // "above", "below"

// What is wrong with a rule, or nothing: a name of letters, digits,
// blanks, '-' and '_'; the clear threshold on the good side of (or at) the
// threshold; a hold from 0 to a day.
std::optional<std::string> RuleProblem(const AlarmRule& rule);

// A figure's value with one decimal, the same in every locale and build.
std::string AlarmValueText(double value);
// And with the figure's unit: "-92.3 dBm", "85.0%", "12.0".
std::string AlarmValueWithUnit(AlarmFigure figure, double value);

// The rules used when no file is given.
const std::vector<AlarmRule>& DefaultAlarmRules();

}  // namespace ptpdiag
