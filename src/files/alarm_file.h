// Alarm rules from a JSON file a user writes:
//   {"Alarms": [{"Name": "Signal low", "Figure": "level", "Direction": "below",
//                "Threshold": -90, "Clear": -87, "HoldSeconds": 10}, ...]}
// and the same form written back (the installed default set).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "alarms/alarm_engine.h"
#include "alarms/alarm_rules.h"

namespace ptpdiag {

// The rules, or what is wrong in words ("alarm 2 (\"Signal low\"): ...").
std::variant<std::vector<AlarmRule>, std::string> ReadAlarmRules(std::string_view text);
std::string AlarmRulesJson(const std::vector<AlarmRule>& rules);

// The session's alarms for the report: each raise with the clear that
// followed it (null while still raised), oldest first:
//   [{"Name", "Raised", "RaisedValue", "Cleared", "ClearedValue"}, ...]
// `timeOf` turns session ms into the report's time text.
std::string AlarmHistoryJson(const AlarmEngine& alarms,
                             const std::function<std::string(std::int64_t)>& timeOf);

}  // namespace ptpdiag
