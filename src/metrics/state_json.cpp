#include "metrics/state_json.h"

#include "quality/json_fields.h"

namespace ptpdiag {
namespace {

std::string Flag(bool value) {
  return value ? "true" : "false";
}

std::string LinkJson(const MetricsSnapshot& m) {
  json::Fields f;
  f.Add("Kind", m.LinkKind.empty() ? "null" : json::Text(m.LinkKind));
  f.Add("Port", m.LinkKind.empty() ? "null" : json::Text(m.LinkPort));
  f.Add("SecondsSinceGoodFrame", json::Maybe(m.SecondsSinceGoodFrame));
  f.Add("Recording", Flag(m.Recording));
  return f.Close();
}

std::string HeaderJson(const MetricsSnapshot& m) {
  if (!m.HasValues) return "null";
  json::Fields f;
  f.Add("SignalDbm", json::Real(m.SignalDbm));
  f.Add("NoiseDbm", json::Real(m.NoiseDbm));
  f.Add("Vswr", json::Real(m.Vswr));
  f.Add("CurrentMa", json::Real(m.CurrentAmperes * 1000.0));
  f.Add("ReceivedPct", json::Real(m.ReceivedRatio * 100.0));
  f.Add("MaxMissed", std::to_string(m.LongestMissedRun));
  return f.Close();
}

std::string AlignmentJson(const MetricsSnapshot& m) {
  const AlignmentFigures& a = m.Alignment;
  json::Fields f;
  f.Add("LevelDbm", json::Maybe(a.LevelDbm));
  f.Add("SnrDb", json::Maybe(a.SnrDb));
  f.Add("GoodPct", json::Maybe(a.GoodPct));
  f.Add("PeakDbm", json::Maybe(a.PeakDbm));
  f.Add("BestDbm", json::Maybe(a.BestDbm));
  f.Add("BestMs", a.BestDbm ? std::to_string(a.BestMs) : "null");
  f.Add("FailedChecks", Flag(a.FailedChecks));
  f.Add("ToneHz", json::Real(m.Tone.Hz));
  f.Add("TonePattern", json::Text(BeepPatternName(m.Tone.Pattern)));
  return f.Close();
}

std::string ActiveAlarms(const MetricsSnapshot& m) {
  std::string text = "[";
  for (const MetricsSnapshot::Alarm& alarm : m.Alarms) {
    if (!alarm.Active) continue;
    text += (text.size() > 1 ? ", " : "") + json::Text(alarm.Name);
  }
  return text + "]";
}

}  // namespace

std::string StateJson(const MetricsSnapshot& m) {
  json::Fields f;
  f.Add("Version", json::Text(m.Version));
  f.Add("SessionMs", std::to_string(m.Alignment.Ms));
  f.Add("TickUnixMs", std::to_string(m.TickUnixMs));
  f.Add("Link", LinkJson(m));
  f.Add("Header", HeaderJson(m));
  f.Add("Alignment", AlignmentJson(m));
  f.Add("Alarms", ActiveAlarms(m));
  return f.Close() + "\n";
}

}  // namespace ptpdiag
