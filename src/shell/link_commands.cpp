#include "shell/link_commands.h"

#include "link/net_link.h"
#include "link/serial_link.h"
#include "shell/dialogs.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

void Repaint(AppContext& app) {
  RepaintNow(app.Window, true);
}

LRESULT Default(AppContext& app, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  return app.Window.CurrentWindow->DefWindowProc(message, wParam, lParam);
}

void CloseSerialIfOpen(AppContext& app) {
  if (app.Link.CommOpen == 1) CloseSerialLink(app);
}

}  // namespace

void ChangeCommPort(AppContext& app, const std::string& portName) {
  CloseSerialIfOpen(app);
  app.Link.CommPortName = portName;
}

LRESULT CommandCloseComm(AppContext& app) {
  CloseSerialIfOpen(app);
  Repaint(app);
  return 0;
}

LRESULT CommandOpenComm(AppContext& app) {
  CloseNetLink(app);
  if (app.Link.CommOpen == 0) OpenSerialLink(app);
  Repaint(app);
  return 0;
}

LRESULT CommandConnectTcp(AppContext& app, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  CloseSerialIfOpen(app);
  if (app.Link.NetLinkMode == NetLink::Udp) CloseNetLink(app);
  if (app.Link.NetLinkMode == NetLink::None) ConnectTcp(app);
  Repaint(app);
  return Default(app, message, wParam, lParam);
}

LRESULT CommandCloseNetwork(AppContext& app, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  CloseNetLink(app);
  Repaint(app);
  return Default(app, message, wParam, lParam);
}

LRESULT CommandOpenUdp(AppContext& app, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  OpenUdpLink(app, true);
  return Default(app, message, wParam, lParam);
}

void OpenUdpLink(AppContext& app, bool askPassword) {
  CloseSerialIfOpen(app);
  if (app.Link.NetLinkMode == NetLink::Tcp) CloseNetLink(app);
  if (app.Link.NetLinkMode == NetLink::None) {
    // Asked for and kept, though the link does not use it; the socket
    // opens whether the dialog was accepted or not.
    const auto password =
        askPassword ? AskText(app, "UDP PassWord", app.Link.UdpPassword) : std::nullopt;
    if (password) app.Link.UdpPassword = *password;
    OpenUdp(app);
  }
  Repaint(app);
}

void CloseLinkOnDestroy(AppContext& app) {
  if (app.Link.CommOpen == 1) {
    CloseSerialLink(app);
  } else {
    CloseNetLink(app);
  }
}

}  // namespace ptpdiag
