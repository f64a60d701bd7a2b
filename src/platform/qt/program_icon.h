// The program's icon: a radio mast sending two waves either side.
#pragma once

#include <QIcon>

namespace ptpdiag {

// Drawn at 32 x 32 and 16 x 16 pixels.
QIcon ProgramIcon();

}  // namespace ptpdiag
