// The program's icon, painted from its shapes. The Windows build and the
// desktop files carry the same drawing as files made from it by
// make-icons; a test keeps them in step.
#pragma once

#include <QIcon>
#include <QImage>
#include <string>

namespace ptpdiag {

// Drawn at 32 x 32 and 16 x 16 pixels.
QIcon ProgramIcon();

// The drawing at `size` x `size` pixels, with transparency.
QImage DrawProgramIcon(int size);

// A Windows icon file holding the drawing at 16, 32 and 48 pixels, 32-bit
// colour with transparency.
std::string ProgramIconIcoFile();

}  // namespace ptpdiag
