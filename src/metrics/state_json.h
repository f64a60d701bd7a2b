// The web view's state of one tick as JSON (/api/state.json): the link,
// the header's values, the alignment figures with the tone's pitch, and
// the alarms raised.
#pragma once

#include <string>

#include "metrics/metrics_snapshot.h"

namespace ptpdiag {

std::string StateJson(const MetricsSnapshot& m);

}  // namespace ptpdiag
