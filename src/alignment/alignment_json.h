// The alignment figures at the end of a run, as the report carries them:
// dB to the hundredth, null where a figure has no data.
#pragma once

#include <string>

#include "alignment/alignment_meter.h"

namespace ptpdiag {

// `bestTime`: when the best was reached, ISO 8601 (null without a best).
std::string AlignmentJson(const AlignmentFigures& figures, const std::string& bestTime);

}  // namespace ptpdiag
