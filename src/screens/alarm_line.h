// The footer's alarm words, left of "Raw Data Stream:": the active alarms
// by name in red ("ALARM Signal low, No data"), cut to the room there.
#pragma once

#include <string>

namespace ptpdiag {

struct AppContext;

inline constexpr std::size_t kAlarmLineColumns = 35;

// What the line says now: empty while no alarm is active.
std::string AlarmLineText(const AppContext& app);

// Draws the line when an alarm is active, and blanks once after the last
// clears; draws nothing otherwise, so a session without alarms looks as
// it always has.
void DrawAlarmLine(AppContext& app);

}  // namespace ptpdiag
