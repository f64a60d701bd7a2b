#include "report/report_profile.h"

#include <array>
#include <cmath>

#include "alarms/figure_samples.h"
#include "files/json_value.h"
#include "quality/json_fields.h"

namespace ptpdiag {
namespace {

struct Limit {
  std::string_view Key;
  double ReportProfile::*Value;
  double Low, High;  // the plausible range, so a typo (dB for dBm) is caught
};

constexpr std::array kLimits = {
    Limit{"MinSignalDbm", &ReportProfile::MinSignalDbm, -128, 0},
    Limit{"SensitivityDbm", &ReportProfile::SensitivityDbm, -128, 0},
    Limit{"MinFadeMarginDb", &ReportProfile::MinFadeMarginDb, 0, 128},
    Limit{"MinGoodPct", &ReportProfile::MinGoodPct, 0, 100},
    Limit{"MaxErrorPct", &ReportProfile::MaxErrorPct, 0, 100},
    Limit{"MaxVswr", &ReportProfile::MaxVswr, 0, 255},
    Limit{"MinCurrentMa", &ReportProfile::MinCurrentMa, 0, 10000},
    Limit{"MaxCurrentMa", &ReportProfile::MaxCurrentMa, 0, 10000},
    Limit{"MaxNoiseFloorDbm", &ReportProfile::MaxNoiseFloorDbm, -128, 0},
    Limit{"MaxFlaggedChannels", &ReportProfile::MaxFlaggedChannels, 0, 111},
};

std::string RangeText(double v) {
  return json::Real(v);
}

std::optional<std::string> ReadMember(ReportProfile& profile, const std::string& key,
                                      const json::Value& value) {
  if (key == "WindowMinutes") {
    const double* n = value.Number();
    if (!n || *n != std::floor(*n) || *n < 1 || *n > kMaxSampleMinutes)
      return "\"WindowMinutes\" must be a whole number from 1 to " + std::to_string(kMaxSampleMinutes);
    profile.WindowMinutes = static_cast<int>(*n);
    return std::nullopt;
  }
  for (const Limit& limit : kLimits) {
    if (key != limit.Key) continue;
    const double* n = value.Number();
    if (!n || *n < limit.Low || *n > limit.High) {
      return "\"" + key + "\" must be a number from " + RangeText(limit.Low) + " to " +
             RangeText(limit.High);
    }
    profile.*limit.Value = *n;
    return std::nullopt;
  }
  return "unknown member \"" + key + "\"";
}

}  // namespace

std::variant<ReportProfile, std::string> ReadReportProfile(std::string_view text) {
  const json::ParseResult parsed = json::Parse(text);
  if (!parsed.Root) return "not JSON: " + parsed.Error;
  const json::Object* members = parsed.Root->Members();
  if (!members) return std::string("a JSON object of limits is expected");
  ReportProfile profile;
  for (const auto& [key, value] : *members) {
    if (auto problem = ReadMember(profile, key, value)) return *problem;
  }
  if (profile.MinCurrentMa > profile.MaxCurrentMa)
    return std::string("\"MinCurrentMa\" is above \"MaxCurrentMa\"");
  return profile;
}

std::string ReportProfileJson(const ReportProfile& profile) {
  std::string text = "{";
  for (const Limit& limit : kLimits) {
    text += (text.size() > 1 ? ",\n  \"" : "\n  \"") + std::string(limit.Key) +
            "\": " + json::Real(profile.*limit.Value);
  }
  return text + ",\n  \"WindowMinutes\": " + std::to_string(profile.WindowMinutes) + "\n}\n";
}

}  // namespace ptpdiag
