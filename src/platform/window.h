// The main window as the core sees it: client geometry, repaint requests,
// device contexts, the default procedure, the quit request, status text.
#pragma once

#include <string_view>

#include "platform/canvas.h"
#include "platform/geometry.h"
#include "platform/messages.h"

namespace ptpdiag {

class PlatformWindow {
 public:
  virtual ~PlatformWindow() = default;

  virtual Rect GetClientRect() const = 0;
  // Marks `rect` for repainting; `erase` asks for the white background first.
  virtual void InvalidateRect(const Rect& rect, bool erase) = 0;
  // Runs the paint handler now if anything is invalid.
  virtual void UpdateWindow() = 0;
  // Start and end of a repaint; BeginPaint erases when that was asked for.
  virtual Canvas* BeginPaint() = 0;
  virtual void EndPaint() = 0;
  // A surface for drawing outside a repaint.
  virtual Canvas* GetDC() = 0;
  virtual void ReleaseDC(Canvas* dc) = 0;
  virtual LRESULT DefWindowProc(std::uint32_t message, WPARAM wParam, LPARAM lParam) = 0;
  virtual void PostQuitMessage(int exitCode) = 0;
  virtual void SetStatusText(std::string_view text) = 0;
};

}  // namespace ptpdiag
