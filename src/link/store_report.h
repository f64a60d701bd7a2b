// The diagnostics store as one JSON object whose keys are the store's names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "quality/channel_quality.h"
#include "state/diagnostics_store.h"

namespace ptpdiag {

// Who wrote the report, about which session: for support staff reading
// what a user sends.
struct StoreReportMeta {
  std::string Program;  // "ptpdiag 1.2.3"
  std::string Link;     // "UDP port 4131"; empty when not known
  std::string Replay;   // the recording replayed; empty for a live session
  std::string Start, End;  // ISO 8601 with the UTC offset
};

// What the report holds beyond the store, each where given.
struct StoreReportSections {
  const QualityFigures* Quality = nullptr;  // under "ChannelQuality"
  std::string AlignmentJson;                // an object, under "Alignment"
  std::string AlarmsJson;                   // an array, under "Alarms"
  const StoreReportMeta* Meta = nullptr;    // under "Meta", with every figure's unit
};

std::string StoreReportJson(const DiagnosticsStore& store, std::uint8_t screenNumber,
                            const StoreReportSections& sections = {});

}  // namespace ptpdiag
