// The diagnostics store as one JSON object whose keys are the store's names.
#pragma once

#include <cstdint>
#include <string>

#include "quality/channel_quality.h"
#include "state/diagnostics_store.h"

namespace ptpdiag {

// With the channel-quality figures under "ChannelQuality", the alignment
// figures (a JSON object) under "Alignment" and the session's alarms (a
// JSON array) under "Alarms", when given.
std::string StoreReportJson(const DiagnosticsStore& store, std::uint8_t screenNumber,
                            const QualityFigures* quality = nullptr,
                            const std::string& alignmentJson = {}, const std::string& alarmsJson = {});

}  // namespace ptpdiag
