// A snapshot in the Prometheus text exposition format 0.0.4: base units,
// a HELP and a TYPE line for each metric family.
#pragma once

#include <string>

#include "metrics/metrics_snapshot.h"

namespace ptpdiag {

inline constexpr const char* kExpositionContentType = "text/plain; version=0.0.4; charset=utf-8";

std::string FormatMetrics(const MetricsSnapshot& m);

}  // namespace ptpdiag
