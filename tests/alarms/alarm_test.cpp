#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "alarms/alarm_engine.h"
#include "files/alarm_file.h"
#include "files/json_value.h"

namespace ptpdiag {
namespace {

// Ticks a single rule through `seconds` of a figure; the transitions as
// "+12.50" (raised at 12.5 s) and "-20.00".
std::vector<std::string> Transitions(const AlarmRule& rule, double seconds,
                             const std::function<std::optional<double>(double)>& figure) {
  AlarmEngine engine({rule});
  std::vector<std::string> seen;
  for (std::int64_t ms = 250; ms <= seconds * 1000; ms += 250) {
    AlarmInputs in;
    in[rule.Figure] = figure(static_cast<double>(ms) / 1000.0);
    for (const AlarmTransition& t : engine.Check(in, ms)) {
      char text[32];
      std::snprintf(text, sizeof text, "%c%.2f", t.Raised ? '+' : '-', static_cast<double>(t.Ms) / 1000.0);
      seen.push_back(text);
    }
  }
  return seen;
}

TEST(AlarmEngine, HoldAndHysteresis) {
  const AlarmRule low{"Signal low", AlarmFigure::Level, AlarmDirection::Below, -90, -88, 10};
  const AlarmRule noData{"No data", AlarmFigure::SecondsWithoutData, AlarmDirection::Above, 5, 1, 0};
  struct Case {
    const char* what;
    AlarmRule rule;
    double seconds;
    std::function<std::optional<double>(double)> figure;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"steady and good", low, 60, [](double) { return -80.0; }, {}},
      {"bad from 5 s: raised after the hold", low, 60, [](double t) { return t >= 5 ? -95.0 : -80.0; },
       {"+15.00"}},
      {"bad for less than the hold", low, 60, [](double t) { return t >= 5 && t < 14.9 ? -95.0 : -80.0; }, {}},
      // ±1 dB about the threshold, 15 s each way, for 10 minutes: raised
      // once, never cleared, since the clear threshold is 2 dB up.
      {"dithering about the threshold", low, 600,
       [](double t) { return static_cast<int>(t / 15) % 2 == 0 ? -89.0 : -91.0; }, {"+25.00"}},
      {"clears at the clear threshold at once", low, 60,
       [](double t) { return t < 30 ? -95.0 : (t < 40 ? -88.5 : -88.0); }, {"+10.25", "-40.00"}},
      {"unknown figures neither raise nor clear", low, 60,
       [](double t) -> std::optional<double> {
         if (t > 20 && t < 50) return std::nullopt;
         return t < 30 ? -95.0 : -80.0;
       },
       {"+10.25", "-50.00"}},
      // Silent from 10 s, a frame again at 30 s: raised past 5 s without
      // data (no hold), cleared at the tick of the frame.
      {"no data", noData, 60, [](double t) { return t >= 10 && t < 30 ? t - 10 : 0.0; },
       {"+15.25", "-30.00"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Transitions(c.rule, c.seconds, c.figure), c.expected) << c.what;
  }
}

TEST(AlarmFile, ReadsRulesOrSaysWhatIsWrong) {
  const auto back = ReadAlarmRules(AlarmRulesJson(DefaultAlarmRules()));
  ASSERT_TRUE(std::holds_alternative<std::vector<AlarmRule>>(back)) << std::get<std::string>(back);
  EXPECT_EQ(AlarmRulesJson(std::get<std::vector<AlarmRule>>(back)), AlarmRulesJson(DefaultAlarmRules()));

  const std::string rule = R"("Name": "Low", "Figure": "level", "Direction": "below", "Threshold": -90)";
  struct Case {
    std::string text;
    std::string error;  // empty: read
  };
  const Case cases[] = {
      {"{\"Alarms\": [{" + rule + "}]}", ""},
      {"{\"Alarms\": [{" + rule + ", \"Clear\": -91}]}", "alarm 1 (\"Low\") a 'below' rule clears at or above its threshold"},
      {"{\"Alarms\": [{" + rule + "}, {" + rule + "}]}", "alarm 2 has the name \"Low\" of an earlier one"},
      {"{\"Alarms\": [{" + rule + ", \"Colour\": 1}]}", "alarm 1 (\"Low\") has an unknown member \"Colour\""},
      {"{\"Alarms\": [{" + rule + ", \"HoldSeconds\": -1}]}", "alarm 1 (\"Low\") the hold is 0 to 86400 seconds"},
      {R"({"Alarms": [{"Name": "X", "Figure": "temperature", "Direction": "above", "Threshold": 1}]})",
       "alarm 1 (\"X\") needs a \"Figure\": level, snr, good_pct, received_rate, vswr, current, "
       "noise_floor, seconds_without_data or flagged_channels"},
      {R"({"Alarms": [{"Name": "a<b>", "Figure": "snr", "Direction": "below", "Threshold": 1}]})",
       "alarm 1 (\"a<b>\") the name may hold letters, digits, blanks, '-' and '_' only"},
      {R"({"Rules": []})", "an object with an \"Alarms\" array is expected"},
      {"{\"Alarms\": [\n  {\"Name\": \"x\",}\n]}", "not JSON: line 2, column 16: a member's name in quotes should be here"},
  };
  for (const Case& c : cases) {
    const auto read = ReadAlarmRules(c.text);
    const std::string* error = std::get_if<std::string>(&read);
    EXPECT_EQ(error ? *error : "", c.error) << c.text;
  }
}

TEST(JsonValue, ParsesOrNamesThePlace) {
  struct Case {
    std::string text;
    std::string error;  // empty: parsed
  };
  const Case cases[] = {
      {R"({"a": [1, -2.5e3, true, null, "x\u00e9\ud83d\ude00"]})", ""},
      {R"({"a": 1, "a": 2})", "line 1, column 10: the member \"a\" is given twice"},
      {"[1] x", "line 1, column 5: something follows the end of the document"},
      {"[1e999]", "line 1, column 2: the number is out of range"},
      {"[01]", "line 1, column 3: ',' or ']' should be here"},
      {R"(["\ud800"])", "line 1, column 9: a lone surrogate in a \\u escape"},
      {"[\"a\tb\"]", "line 1, column 4: a control character inside a string"},
      {"[\"abc", "line 1, column 6: the text ends inside a string"},
      {std::string(65, '[') + std::string(65, ']'), "line 1, column 65: nested more than 64 deep"},
      {std::string(64, '[') + std::string(64, ']'), ""},
  };
  for (const Case& c : cases) {
    const json::ParseResult r = json::Parse(c.text);
    EXPECT_EQ(r.Root ? "" : r.Error, c.error) << c.text;
  }
  const json::ParseResult r = json::Parse(R"({"a": [1, "x\u00e9\ud83d\ude00"]})");
  ASSERT_TRUE(r.Root);
  EXPECT_EQ(*r.Root->Member("a")->Items()->at(1).Text(), "x\xc3\xa9\xf0\x9f\x98\x80");
}

}  // namespace
}  // namespace ptpdiag
