// The channel-quality figures as the JSON value the report carries:
// numbers as numbers, null where a figure has no data.
#pragma once

#include <string>

#include "quality/channel_quality.h"

namespace ptpdiag {

std::string QualityJson(const QualityFigures& figures);

}  // namespace ptpdiag
