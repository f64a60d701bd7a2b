// The session's history as an inline SVG for the report: signal and noise
// in dBm above, the error rate in % below, over the session's time.
#pragma once

#include <string>
#include <vector>

#include "report/link_report.h"

namespace ptpdiag {

std::string HistoryPlotSvg(const std::vector<ReportSlot>& history);

// "1:05:09" for 3909 s; "0:00" for 0.
std::string ElapsedText(std::int64_t seconds);

}  // namespace ptpdiag
