// The alignment log: one CSV row a tick, the figures the alignment screen
// and the tone work from, so that a session can be looked at afterwards.
#pragma once

#include <string>

#include "alignment/alignment_meter.h"
#include "alignment/tone.h"
#include "platform/clock.h"

namespace ptpdiag {

std::string AlignLogHeader();

// time (local ISO 8601), ms since the session's start, then the figures in
// dBm, dB and %, empty where one has no data, and the tone's pitch (0 when
// silent).
std::string AlignLogRow(const AlignmentFigures& figures, const ToneState& tone, const Clock& zone,
                        const LocalDateTime& origin);

// When the best was reached, as the log writes times.
std::string AlignTime(std::int64_t ms, const Clock& zone, const LocalDateTime& origin);

}  // namespace ptpdiag
