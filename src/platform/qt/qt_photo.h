// Photos for the report, decoded, turned and scaled by Qt's image readers.
#pragma once

#include "platform/photo.h"

namespace ptpdiag {

PhotoResult LoadScaledPhotoQt(const std::string& path, int mostSide);

}  // namespace ptpdiag
