// Window-level drawing state: the window being served, the client and text
// rectangles, the device context in use, the selected screen and the pens.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window.h"
#include "quality/waterfall.h"
#include "state/device_context.h"

namespace ptpdiag {

inline constexpr Pen kPenRed{{255, 0, 0}};
inline constexpr Pen kPenGreen{{0, 255, 0}};
inline constexpr Pen kPenBlue{{48, 48, 255}};
inline constexpr Pen kPenGrey{{128, 128, 128}};
inline constexpr Pen kPenOlive{{128, 128, 0}};
inline constexpr Pen kPenOrange{{255, 128, 0}};

struct WindowState {
  PlatformWindow* CurrentWindow = nullptr;
  Rect ClientRect{};
  Rect TextRect{};
  // Valid between BeginPaint and EndPaint, or GetDC and ReleaseDC.
  DeviceContext ScreenDC;
  std::uint8_t ScreenNumber = 0;
  // The waterfall layer of the channel quality screen.
  WaterfallLayer QualityLayer = WaterfallLayer::Noise;
  std::int32_t TableRowsVisible = 0;
  std::int32_t ClickY = 0;
  std::string StatusText;
  std::string StatusNote;
  // The footer names active alarms (a tick wipes them once they clear).
  bool AlarmLineShown = false;
  // A menu item's help is on the status bar (link messages wait).
  bool MenuHelpShown = false;
  float PollInterval = 0.0F;
  // The text handed back by the last accepted dialog.
  std::string DialogText;
  // Made at window creation, dropped at destruction.
  Pen PenRed{}, PenGreen{}, PenBlue{}, PenGrey{}, PenOlive{}, PenOrange{};
};

// Puts `text` (at most 255 characters) on the status bar of CurrentWindow.
void ShowStatusText(WindowState& w, std::string text);

// Puts `text` in the status bar's note part when it is not there already.
void ShowStatusNote(WindowState& w, const std::string& text);

// Re-reads the client rectangle of CurrentWindow into ClientRect.
void RefreshClientRect(WindowState& w);

// Invalidates ClientRect (`erase`: white background first) and updates the
// window, so the paint handler has run when this returns. Nothing without
// a window.
void RepaintNow(WindowState& w, bool erase);

}  // namespace ptpdiag
