#include "platform/win32/dpi.h"

namespace ptpdiag {
namespace {

using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using GetDpiForSystemCall = UINT(WINAPI*)();
using AdjustForDpiCall = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

template <typename Call>
Call User32Call(const char* name) {
  const HMODULE user32 = GetModuleHandleA("user32.dll");
  const FARPROC found = user32 != nullptr ? GetProcAddress(user32, name) : nullptr;
  // Through a plain function pointer: the types differ only in signature.
  return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(found));
}

UINT ScreenDcDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

}  // namespace

UINT SystemDpi() {
  static const auto call = User32Call<GetDpiForSystemCall>("GetDpiForSystem");
  const UINT dpi = call != nullptr ? call() : 0;
  return dpi != 0 ? dpi : ScreenDcDpi();
}

UINT WindowDpi(HWND window) {
  static const auto call = User32Call<GetDpiForWindowCall>("GetDpiForWindow");
  const UINT dpi = call != nullptr && window != nullptr ? call(window) : 0;
  return dpi != 0 ? dpi : SystemDpi();
}

SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, UINT dpi) {
  static const auto call = User32Call<AdjustForDpiCall>("AdjustWindowRectExForDpi");
  RECT frame{0, 0, clientWidth, clientHeight};
  if (call == nullptr || call(&frame, style, TRUE, 0, dpi) == 0) {
    frame = RECT{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, style, TRUE, 0);
  }
  return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace ptpdiag
