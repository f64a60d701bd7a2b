// Helpers for the Windows backend's tests: acting on a dialog once it is
// open inside some modal loop, and running a window's loop for a while.
#pragma once

#include <functional>
#include <string>

#include "platform/win32/windows_api.h"

namespace ptpdiag::test {

// Once a top-level window captioned `caption` exists (looked for every
// 20 ms from the thread's message loops, for at most 10 s), runs `act`
// with it, once. Returns at once; the acting happens in whatever loop
// dispatches messages next.
void WhenWindowOpens(const std::string& caption, std::function<void(HWND)> act);

// Posts a key press (down and up) to `window` as the keyboard would.
void PostKey(HWND window, WPARAM virtualKey);
// Posts each character of `text` to `window` as typed.
void PostText(HWND window, const std::string& text);

// The text a window holds.
std::string TextOf(HWND window);

}  // namespace ptpdiag::test
