// Photos for the report, decoded, scaled and encoded again by the Windows
// Imaging Component. COM must be initialised on the calling thread.
#pragma once

#include "platform/photo.h"

namespace ptpdiag {

PhotoResult LoadScaledPhotoWic(const std::string& path, int mostSide);

}  // namespace ptpdiag
