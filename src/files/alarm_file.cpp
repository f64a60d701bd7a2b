#include "files/alarm_file.h"

#include <optional>

#include "files/json_value.h"
#include "quality/json_fields.h"

namespace ptpdiag {
namespace {

constexpr std::size_t kMaxRules = 100;

std::string Quoted(std::string_view s) {
  return "\"" + std::string(s) + "\"";
}

// One rule from its object; an error without the rule's place.
std::variant<AlarmRule, std::string> ReadRule(const json::Value& item) {
  if (!item.Members()) return std::string("is not an object");
  for (const auto& [key, value] : *item.Members()) {
    if (key != "Name" && key != "Figure" && key != "Direction" && key != "Threshold" && key != "Clear" &&
        key != "HoldSeconds") {
      return "has an unknown member " + Quoted(key);
    }
  }
  AlarmRule rule;
  const json::Value* name = item.Member("Name");
  if (!name || !name->Text()) return std::string("needs a \"Name\" text");
  rule.Name = *name->Text();
  const json::Value* figure = item.Member("Figure");
  const auto known = figure && figure->Text() ? AlarmFigureNamed(*figure->Text()) : std::nullopt;
  if (!known) {
    return std::string(
        "needs a \"Figure\": level, snr, good_pct, received_rate, vswr, current, noise_floor, "
        "seconds_without_data or flagged_channels");
  }
  rule.Figure = *known;
  const json::Value* direction = item.Member("Direction");
  const std::string* way = direction ? direction->Text() : nullptr;
  if (!way || (*way != "above" && *way != "below")) return std::string("needs a \"Direction\": above or below");
  rule.Direction = *way == "above" ? AlarmDirection::Above : AlarmDirection::Below;
  const json::Value* threshold = item.Member("Threshold");
  if (!threshold || !threshold->Number()) return std::string("needs a \"Threshold\" number");
  rule.Threshold = *threshold->Number();
  const json::Value* clear = item.Member("Clear");
  if (clear && !clear->Number()) return std::string("has a \"Clear\" that is not a number");
  rule.Clear = clear ? *clear->Number() : rule.Threshold;
  const json::Value* hold = item.Member("HoldSeconds");
  if (hold && !hold->Number()) return std::string("has a \"HoldSeconds\" that is not a number");
  rule.HoldSeconds = hold ? *hold->Number() : 0;
  if (const auto problem = RuleProblem(rule)) return *problem;
  return rule;
}

}  // namespace

std::variant<std::vector<AlarmRule>, std::string> ReadAlarmRules(std::string_view text) {
  const json::ParseResult parsed = json::Parse(text);
  if (!parsed.Root) return "not JSON: " + parsed.Error;
  const json::Value* alarms = parsed.Root->Member("Alarms");
  if (!alarms || !alarms->Items()) return std::string("an object with an \"Alarms\" array is expected");
  if (alarms->Items()->size() > kMaxRules) return std::string("more than 100 alarms");
  std::vector<AlarmRule> rules;
  for (const json::Value& item : *alarms->Items()) {
    auto rule = ReadRule(item);
    const std::string place = "alarm " + std::to_string(rules.size() + 1);
    if (auto* problem = std::get_if<std::string>(&rule)) {
      const json::Value* name = item.Member("Name");
      const std::string named = name && name->Text() ? " (" + Quoted(*name->Text()) + ")" : "";
      return place + named + " " + *problem;
    }
    for (const AlarmRule& earlier : rules) {
      if (earlier.Name == std::get<AlarmRule>(rule).Name) {
        return place + " has the name " + Quoted(earlier.Name) + " of an earlier one";
      }
    }
    rules.push_back(std::get<AlarmRule>(rule));
  }
  return rules;
}

std::string AlarmRulesJson(const std::vector<AlarmRule>& rules) {
  std::string text = "{\"Alarms\": [";
  for (std::size_t i = 0; i < rules.size(); ++i) {
    const AlarmRule& r = rules[i];
    json::Fields f;
    f.Add("Name", json::Text(r.Name));
    f.Add("Figure", json::Text(AlarmFigureName(r.Figure)));
    f.Add("Direction", json::Text(AlarmDirectionName(r.Direction)));
    f.Add("Threshold", json::Real(r.Threshold));
    f.Add("Clear", json::Real(r.Clear));
    f.Add("HoldSeconds", json::Real(r.HoldSeconds));
    text += (i ? ",\n  " : "\n  ") + f.Close();
  }
  return text + "\n]}\n";
}

std::string AlarmHistoryJson(const AlarmEngine& alarms,
                             const std::function<std::string(std::int64_t)>& timeOf) {
  std::string text = "[";
  for (const AlarmSpell& s : AlarmSpells(alarms)) {
    json::Fields f;
    f.Add("Name", json::Text(alarms.Rules()[s.Rule].Name));
    f.Add("Raised", json::Text(timeOf(s.Raised.Ms)));
    f.Add("RaisedValue", json::Real(s.Raised.Value));
    f.Add("Cleared", s.Cleared ? json::Text(timeOf(s.Cleared->Ms)) : "null");
    f.Add("ClearedValue", s.Cleared ? json::Real(s.Cleared->Value) : "null");
    text += (text.size() > 1 ? ", " : "") + f.Close();
  }
  return text + "]";
}

}  // namespace ptpdiag
