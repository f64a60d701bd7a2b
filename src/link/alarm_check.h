// The alarms at the end of each tick: the figures the rules watch, taken
// from the tick, checked, and each raise or clear said on the status bar
// and to whoever listens (the sound, the log of a headless run).
#pragma once

#include <string>

#include "alarms/alarm_engine.h"

namespace ptpdiag {

struct AppContext;

// The figures of the tick just ended. Seconds without data are known while
// a link is open or a recording plays, counted in session time so that a
// replay sees what the live session saw.
AlarmInputs AlarmInputsOf(AppContext& app);

// Checks the rules against this tick's figures.
void CheckAlarms(AppContext& app);

// "Alarm: Signal low (level -92.3 dBm, below -90.0)", "Alarm cleared:
// Signal low (level -86.5 dBm)".
std::string AlarmTransitionWords(const AlarmRule& rule, const AlarmTransition& t);

}  // namespace ptpdiag
