#include "shell/startup.h"

#include "shell/window_proc.h"
#include "state/app_context.h"

namespace ptpdiag {

void SetStartValues(AppContext& app) {
  app.Link.CommPortName = "Com1";
  app.Window.ScreenNumber = 3;
}

void CreateMainWindow(AppContext& app, BackedWindow& window) {
  window.SetProcedure(
      [&app](PlatformWindow* target, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
        return WNDPROC(app, target, message, wParam, lParam);
      });
  window.Send(WM_CREATE, 0, 0);
}

}  // namespace ptpdiag
