// The limits a link is signed off against, read from a JSON file the
// engineer keeps per radio model or customer:
//   {"MinSignalDbm": -85, "SensitivityDbm": -106, "MinFadeMarginDb": 20, ...}
// Members left out keep their defaults; the report lists every limit used.
#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace ptpdiag {

struct ReportProfile {
  double MinSignalDbm = -85;
  double SensitivityDbm = -106;  // the receiver's, from its data sheet
  double MinFadeMarginDb = 20;   // margin = level - sensitivity
  double MinGoodPct = 95;
  double MaxErrorPct = 5;  // the history's error rate
  double MaxVswr = 50;     // the highest reading on any channel
  double MinCurrentMa = 50;
  double MaxCurrentMa = 550;
  double MaxNoiseFloorDbm = -100;
  double MaxFlaggedChannels = 3;
  int WindowMinutes = 15;  // the last minutes of data with a link open
};

// The profile, or what is wrong in words ("not JSON: line 2, column 5: ...",
// "\"WindowMinutes\" must be a whole number from 1 to 480").
std::variant<ReportProfile, std::string> ReadReportProfile(std::string_view text);

// The same form written back (the installed default profile).
std::string ReportProfileJson(const ReportProfile& profile);

}  // namespace ptpdiag
