// Numbers and times as the CSV files write them, the same bytes on every
// build.
#pragma once

#include <string>

#include "state/civil_time.h"

namespace ptpdiag {

// `v` with at most `decimals` decimals, without trailing zeros; '.' always.
std::string Decimal(double v, int decimals);

// Local time in ISO 8601 with its UTC offset.
std::string IsoTime(const ZonedTime& t);

}  // namespace ptpdiag
