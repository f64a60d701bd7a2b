#include "shell/window_proc.h"

#include <string>

#include "link/net_link.h"
#include "shell/poll_cycle.h"
#include "link/reset_statistics.h"
#include "resources/string_table.h"
#include "screens/screen_frame.h"
#include "shell/keyboard.h"
#include "shell/link_commands.h"
#include "shell/menu_commands.h"
#include "shell/session_commands.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

LRESULT OnCreate(AppContext& app, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  WindowState& w = app.Window;
  app.Link.CommOpen = 0;
  w.PenRed = kPenRed;
  w.PenGreen = kPenGreen;
  w.PenBlue = kPenBlue;
  w.PenGrey = kPenGrey;
  w.PenOlive = kPenOlive;
  w.PenOrange = kPenOrange;
  w.PollInterval = 0.1F;
  ResetRadioList(app.Radios);
  ResetStatistics(app);
  return w.CurrentWindow->DefWindowProc(message, wParam, lParam);
}

LRESULT OnMenuSelect(AppContext& app, WPARAM wParam) {
  const std::string_view help = LoadMenuHelp(LowWord(wParam));
  app.Window.MenuHelpShown = !help.empty();
  ShowStatusText(app.Window, std::string(help));
  return 0;
}

LRESULT OnMouseMove(AppContext& app, LPARAM lParam) {
  const auto bits = static_cast<std::uintptr_t>(lParam);
  app.Window.MenuHelpShown = false;
  ShowStatusText(app.Window,
                 " " + std::to_string(LowWord(bits)) + ", " + std::to_string(HighWord(bits)));
  return 0;
}

LRESULT OnPaint(AppContext& app, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  PaintMainWindow(app);
  return app.Window.CurrentWindow->DefWindowProc(message, wParam, lParam);
}

// Pens are plain colour values here, so there is nothing to release; a
// snapshot taken after the window closed still draws with them.
LRESULT OnDestroy(AppContext& app) {
  CloseLinkOnDestroy(app);
  app.Window.CurrentWindow->PostQuitMessage(0);
  return 0;
}

}  // namespace

LRESULT WNDPROC(AppContext& app, PlatformWindow* window, std::uint32_t message, WPARAM wParam,
                LPARAM lParam) {
  app.Link.UdpPassword = kDefaultUdpPassword;
  app.Window.CurrentWindow = window;

  switch (message) {
    case WM_CREATE:
      return OnCreate(app, message, wParam, lParam);
    case WM_NETWORK_NOTIFY:
      return OnDatagramArrived(app);
    case WM_NOTIFY:
      return 0;
    case WM_MENUSELECT:
      return OnMenuSelect(app, wParam);
    case WM_INITMENUPOPUP:
      UpdateMenuStates(app);
      return window->DefWindowProc(message, wParam, lParam);
    case WM_LBUTTONDOWN:
      return OnButtonDown(app, true, lParam);
    case WM_RBUTTONDOWN:
      return OnButtonDown(app, false, lParam);
    case WM_MOUSEMOVE:
      return OnMouseMove(app, lParam);
    case WM_SIZE:
      return window->DefWindowProc(message, wParam, lParam);
    case WM_TIMER:
      return RunPollCycle(app);
    case WM_COMMAND:
      return OnCommand(app, message, wParam, lParam);
    case WM_KEYDOWN:
      return OnKeyDown(app, wParam);
    case WM_PAINT:
      return OnPaint(app, message, wParam, lParam);
    case WM_DESTROY:
      return OnDestroy(app);
    default:
      return window->DefWindowProc(message, wParam, lParam);
  }
}

}  // namespace ptpdiag
