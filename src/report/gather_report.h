// The report's figures taken from the session as it stands: times, grades
// over the acceptance window, channel quality, alignment, alarms and the
// history. The caller adds what the session does not hold (the program,
// the link's name, screens, fields, photos, the recording).
#pragma once

#include "report/link_report.h"

namespace ptpdiag {

struct AppContext;

LinkReport GatherLinkReport(const AppContext& app, const ReportProfile& profile);

}  // namespace ptpdiag
