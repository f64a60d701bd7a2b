#include "shell/menu_commands.h"

#include <cmath>

#include "files/radio_file.h"
#include "resources/main_menu.h"
#include "screens/format_masked.h"
#include "shell/dialogs.h"
#include "shell/file_commands.h"
#include "shell/link_commands.h"
#include "shell/reference_command.h"
#include "shell/session_commands.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

void Repaint(AppContext& app) {
  RepaintNow(app.Window, true);
}

LRESULT RepaintThenZero(AppContext& app) {
  Repaint(app);
  return 0;
}

void ChooseCommPort(AppContext& app) {
  if (const auto name = AskCommPort(app)) ChangeCommPort(app, *name);
}

// "New IP Address", then "Port Address" only when the first was accepted.
void EnterNetworkAddress(AppContext& app) {
  const auto address = AskText(app, "New IP Address", app.Link.UdpAddress);
  if (!address) return;
  app.Link.UdpAddress = *address;
  if (const auto port = AskText(app, "Port Address", app.Link.UdpPort)) app.Link.UdpPort = *port;
}

void EnterPollInterval(AppContext& app) {
  const auto text =
      AskText(app, "Polling Interval", FormatMasked(app.Window.PollInterval, "###.#"));
  if (text) app.Window.PollInterval = static_cast<float>(LeadingNumber(*text));
}

// 140 and 141 show screen 1, 142 screen 2, 143 and 144 screen 3.
LRESULT SelectScreen(AppContext& app, std::uint32_t id) {
  const std::uint32_t screen = id - IDM_SCREEN0;
  app.Window.ScreenNumber = static_cast<std::uint8_t>(screen == 0 ? 1 : screen == 4 ? 3 : screen);
  return RepaintThenZero(app);
}

// Exit runs the destruction at once, from inside this command.
LRESULT Exit(AppContext& app, WPARAM wParam, LPARAM lParam) {
  app.Window.CurrentWindow->Send(WM_DESTROY, wParam, lParam);
  return 0;
}

LRESULT Help(AppContext& app) {
  app.Window.CurrentWindow->MessageBox(kSupportText, kSupportCaption, "");
  return 0;
}

LRESULT UserGuide(AppContext& app) {
  PlatformWindow* window = app.Window.CurrentWindow;
  if (const auto failure = window->OpenUserGuide()) {
    window->MessageBox("Could not open the user guide.", "User Guide", *failure);
  }
  return 0;
}

// The address with its token, which a message box lets the user copy.
LRESULT WebView(AppContext& app) {
  PlatformWindow* window = app.Window.CurrentWindow;
  if (app.WebViewUrl.empty()) {
    window->MessageBox("The web view is off.", "Web View",
                       "Start ptpdiag with --serve [HOST:]PORT and --token auto to see the link "
                       "from a phone on this network.");
  } else {
    window->MessageBox(app.WebViewUrl, "Web View",
                       "Open this address on a phone or computer that reaches this one. It carries "
                       "the token: give it only to those who may see the link.");
  }
  return 0;
}

}  // namespace

void LocateRadio(AppContext& app) {
  RadioList& r = app.Radios;
  const int shown = r.SelectedRadio == 0 ? 1 : r.SelectedRadio;
  const auto text = AskText(app, "Locate Radio",
                            FormatMasked(static_cast<double>(r.RadioSerial[shown]), "#######"));
  const double n = text ? LeadingNumber(*text) : 0.0;
  if (n == 0.0) {
    r.SelectedRadio = 0;
    return;
  }
  for (int i = 0; i <= r.RadioCount && i < kRadioSlots; ++i) {
    if (static_cast<double>(r.RadioSerial[static_cast<std::size_t>(i)]) == n) {
      r.SelectedRadio = i;
      Repaint(app);
      return;
    }
  }
  app.Window.CurrentWindow->MessageBox(kRadioNotFound, kRadioNotFoundCaption, "");
}

LRESULT OnCommand(AppContext& app, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  PlatformWindow* window = app.Window.CurrentWindow;
  const auto defaultResult = [&] { return window->DefWindowProc(message, wParam, lParam); };
  const std::uint32_t id = LowWord(wParam);
  switch (id) {
    case IDM_CHG_COMM_PORT:
      ChooseCommPort(app);
      return 0;
    case IDM_CLOSE_COMM:
      return CommandCloseComm(app);
    case IDM_OPEN_COMM:
      return CommandOpenComm(app);
    case IDM_NOTHING_122:
      return 0;
    case IDM_REPAINT_124:
    case IDM_REPAINT_125:
    case IDM_REPAINT_132:
    case IDM_REPAINT_133:
      return RepaintThenZero(app);
    case IDM_NETWORK_ADDRESS:
      EnterNetworkAddress(app);
      return defaultResult();
    case IDM_CONNECT_TCP:
      return CommandConnectTcp(app, message, wParam, lParam);
    case IDM_CLOSE_NETWORK:
      return CommandCloseNetwork(app, message, wParam, lParam);
    case IDM_SCREEN0:
    case IDM_SCREEN1:
    case IDM_SCREEN2:
    case IDM_SCREEN3:
    case IDM_SCREEN4:
      return SelectScreen(app, id);
    case IDM_SHOW_SCREEN4:
      app.Window.ScreenNumber = 4;
      return RepaintThenZero(app);
    case IDM_SHOW_SCREEN5:
      app.Window.ScreenNumber = 5;
      return RepaintThenZero(app);
    case IDM_TONE:
      app.ToneOn = !app.ToneOn;
      return RepaintThenZero(app);
    case IDM_OPEN_UDP:
      return CommandOpenUdp(app, message, wParam, lParam);
    case IDM_LOCATE_RADIO:
      LocateRadio(app);
      return defaultResult();
    case IDM_POLLING_INTERVAL:
      EnterPollInterval(app);
      return defaultResult();
    case IDM_FILE_NEW:
      FileNew(app);
      return defaultResult();
    case IDM_FILE_OPEN:
      return FileOpen(app) ? defaultResult() : 0;
    case IDM_FILE_CLOSE:
      FileClose(app);
      return 0;
    case IDM_FILE_SAVE:
      FileSave(app);
      return 0;
    case IDM_EXIT:
      return Exit(app, wParam, lParam);
    case IDM_HELP:
      return Help(app);
    case IDM_ABOUT:
      ShowAbout(app);
      return 0;
    case IDM_USER_GUIDE:
      return UserGuide(app);
    case IDM_WEB_VIEW:
      return WebView(app);
    case IDM_RECORD:
      return CommandRecord(app);
    case IDM_STOP_RECORDING:
      return CommandStopRecording(app);
    case IDM_EXPORT_CSV:
      return CommandExportCsv(app);
    case IDM_SAVE_PICTURE:
      return CommandSavePicture(app);
    case IDM_LINK_REPORT:
      return CommandLinkReport(app);
    case IDM_COMPARE_RECORDING:
      return CommandCompareWithRecording(app);
    default:  // IDM_NOTHING_123, IDM_NOTHING_128, the clipboard ones, every unknown one
      return defaultResult();
  }
}

}  // namespace ptpdiag
