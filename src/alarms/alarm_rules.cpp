#include "alarms/alarm_rules.h"

#include <array>
#include <charconv>
#include <utility>

namespace ptpdiag {
namespace {

struct FigureWords {
  AlarmFigure Figure;
  std::string_view Name;
  std::string_view Unit;
};

constexpr std::array<FigureWords, 9> kFigures{{
    {AlarmFigure::Level, "level", "dBm"},
    {AlarmFigure::Snr, "snr", "dB"},
    {AlarmFigure::GoodPct, "good_pct", "%"},
    {AlarmFigure::ReceivedRate, "received_rate", "%"},
    {AlarmFigure::Vswr, "vswr", ""},
    {AlarmFigure::Current, "current", "mA"},
    {AlarmFigure::NoiseFloor, "noise_floor", "dBm"},
    {AlarmFigure::SecondsWithoutData, "seconds_without_data", "s"},
    {AlarmFigure::FlaggedChannels, "flagged_channels", ""},
}};

constexpr double kLongestHoldSeconds = 86400;

bool NameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
         c == '-' || c == '_';
}

}  // namespace

std::string_view AlarmFigureName(AlarmFigure figure) {
  for (const FigureWords& f : kFigures) {
    if (f.Figure == figure) return f.Name;
  }
  return "";
}

std::optional<AlarmFigure> AlarmFigureNamed(std::string_view name) {
  for (const FigureWords& f : kFigures) {
    if (f.Name == name) return f.Figure;
  }
  return std::nullopt;
}

std::string_view AlarmFigureUnit(AlarmFigure figure) {
  for (const FigureWords& f : kFigures) {
    if (f.Figure == figure) return f.Unit;
  }
  return "";
}

std::string_view AlarmDirectionName(AlarmDirection direction) {
  return direction == AlarmDirection::Above ? "above" : "below";
}

std::optional<std::string> RuleProblem(const AlarmRule& rule) {
  if (rule.Name.empty() || rule.Name.size() > 64) return "a name of 1 to 64 characters is needed";
  for (char c : rule.Name) {
    if (!NameCharacter(c)) return "the name may hold letters, digits, blanks, '-' and '_' only";
  }
  if (rule.Direction == AlarmDirection::Below && rule.Clear < rule.Threshold) {
    return "a 'below' rule clears at or above its threshold";
  }
  if (rule.Direction == AlarmDirection::Above && rule.Clear > rule.Threshold) {
    return "an 'above' rule clears at or below its threshold";
  }
  if (!(rule.HoldSeconds >= 0 && rule.HoldSeconds <= kLongestHoldSeconds)) {
    return "the hold is 0 to 86400 seconds";
  }
  return std::nullopt;
}

std::string AlarmValueText(double value) {
  char text[64];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1);
  std::string s = error == std::errc() ? std::string(text, end) : "?";
  return s == "-0.0" ? "0.0" : s;
}

std::string AlarmValueWithUnit(AlarmFigure figure, double value) {
  const std::string_view unit = AlarmFigureUnit(figure);
  std::string text = AlarmValueText(value);
  if (unit.empty()) return text;
  if (unit != "%") text += ' ';
  return text += unit;
}

const std::vector<AlarmRule>& DefaultAlarmRules() {
  using F = AlarmFigure;
  constexpr auto kBelow = AlarmDirection::Below;
  constexpr auto kAbove = AlarmDirection::Above;
  static const std::vector<AlarmRule> rules{
      {"No data", F::SecondsWithoutData, kAbove, 5, 1, 0},
      {"Signal low", F::Level, kBelow, -90, -87, 10},
      {"SNR low", F::Snr, kBelow, 15, 18, 10},
      {"Good hops low", F::GoodPct, kBelow, 90, 95, 10},
      {"Received rate low", F::ReceivedRate, kBelow, 90, 95, 30},
      {"VSWR high", F::Vswr, kAbove, 60, 50, 5},
      {"Current high", F::Current, kAbove, 600, 550, 10},
      {"Noise floor high", F::NoiseFloor, kAbove, -95, -98, 30},
      {"Interference", F::FlaggedChannels, kAbove, 5, 3, 60},
  };
  return rules;
}

}  // namespace ptpdiag
