// The diagnostics store as one JSON object whose keys are the store's names.
#pragma once

#include <cstdint>
#include <string>

#include "state/diagnostics_store.h"

namespace ptpdiag {

std::string StoreReportJson(const DiagnosticsStore& store, std::uint8_t screenNumber);

}  // namespace ptpdiag
