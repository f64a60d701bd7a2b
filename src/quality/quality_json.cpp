#include "quality/quality_json.h"

#include "quality/json_fields.h"

namespace ptpdiag {
namespace {

using json::Fields;
using json::Maybe;
using json::Real;

std::string ChannelJson(const QualityOfChannel& c) {
  Fields f;
  f.Add("Channel", std::to_string(c.Channel));
  f.Add("Visits", std::to_string(c.Visits));
  f.Add("NoiseP10Dbm", Maybe(c.NoiseP10Dbm));
  f.Add("NoiseP50Dbm", Maybe(c.NoiseP50Dbm));
  f.Add("NoiseP90Dbm", Maybe(c.NoiseP90Dbm));
  f.Add("NoiseP99Dbm", Maybe(c.NoiseP99Dbm));
  f.Add("Duty", Maybe(c.Duty));
  f.Add("DutyLow", Maybe(c.DutyLow));
  f.Add("DutyHigh", Maybe(c.DutyHigh));
  f.Add("PeriodS", Maybe(c.PeriodS));
  f.Add("GoodPct", Maybe(c.GoodPct));
  f.Add("SignalMeanDbm", Maybe(c.SignalMeanDbm));
  f.Add("Flagged", c.Flagged ? "true" : "false");
  return f.Close();
}

}  // namespace

std::string QualityJson(const QualityFigures& figures) {
  std::string channels = "[\n";
  for (std::size_t i = 0; i < figures.Channels.size(); ++i) {
    channels += "    " + ChannelJson(figures.Channels[i]);
    channels += i + 1 < figures.Channels.size() ? ",\n" : "\n  ]";
  }
  std::string exclude = "[";
  for (std::size_t i = 0; i < figures.Exclude.size(); ++i) {
    if (i > 0) exclude += ",";
    exclude += std::to_string(figures.Exclude[i]);
  }
  exclude += "]";
  Fields f;
  f.Add("FloorDbm", Maybe(figures.FloorDbm));
  f.Add("ThresholdDb", Real(figures.ThresholdDb));
  f.Add("Outside", std::to_string(figures.Outside));
  f.Add("Channels", channels);
  f.Add("Exclude", exclude);
  return f.Close();
}

}  // namespace ptpdiag
