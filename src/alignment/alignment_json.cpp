#include "alignment/alignment_json.h"

#include <cmath>

#include "quality/json_fields.h"

namespace ptpdiag {
namespace {

std::string Hundredths(const std::optional<double>& value) {
  if (!value) return "null";
  return json::Real(std::round(*value * 100.0) / 100.0);
}

}  // namespace

std::string AlignmentJson(const AlignmentFigures& figures, const std::string& bestTime) {
  json::Fields f;
  f.Add("LevelDbm", Hundredths(figures.LevelDbm));
  f.Add("BestDbm", Hundredths(figures.BestDbm));
  f.Add("BestTime", figures.BestDbm ? "\"" + bestTime + "\"" : "null");
  f.Add("PeakDbm", Hundredths(figures.PeakDbm));
  f.Add("SnrDb", Hundredths(figures.SnrDb));
  f.Add("GoodPct", Hundredths(figures.GoodPct));
  return f.Close();
}

}  // namespace ptpdiag
