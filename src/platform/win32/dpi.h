// Screen density on Windows. The calls that know each monitor's density
// came with Windows 10 (1607); on older systems the system's density
// serves for every window.
#pragma once

#include "platform/win32/windows_api.h"

namespace ptpdiag {

// The density the drawing is made for: 96 dots per inch.
inline constexpr UINT kBaseDpi = 96;

// The density of the screen windows open on.
UINT SystemDpi();

// The density of the screen `window` is on.
UINT WindowDpi(HWND window);

// The outer size of a window of `style` with a menu whose client area is
// `clientWidth` x `clientHeight` device pixels, with the frame and menu
// metrics of `dpi`.
SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, UINT dpi);

}  // namespace ptpdiag
