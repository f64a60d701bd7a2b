// A Prometheus rules file for links watched with --metrics: alerts on the
// link itself, and one per alarm rule on ptpdiag_alarm_active, so the
// program's hysteresis and hold decide and Prometheus only carries them.
#pragma once

#include <string>
#include <vector>

#include "alarms/alarm_rules.h"

namespace ptpdiag {

std::string PrometheusRules(const std::vector<AlarmRule>& rules);

}  // namespace ptpdiag
