#include "shell/dialogs.h"

#include <algorithm>
#include <vector>

#include "platform/dialog_host.h"
#include "platform/port_listing.h"
#include "resources/about_box.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

constexpr int kResultAccepted = 1;
constexpr int kResultCancelled = 0;
constexpr int kNotifySelChange = 1;
constexpr int kNotifyDoubleClick = 2;
constexpr int kCommPortCount = 8;
constexpr const char* kCommPortCaption = "Select Comm Port";

ControlCallback CancelCallback(DialogHost& host) {
  return
      [&host](DialogId dialog, int /*notification*/) { host.EndDialog(dialog, kResultCancelled); };
}

// The port's name: the item's text up to what describes the port.
ControlCallback ListChoiceCallback(AppContext& app, DialogHost& host) {
  return [&app, &host](DialogId dialog, int notification) {
    if (notification != kNotifySelChange && notification != kNotifyDoubleClick) return;
    const std::string item = host.GetListText(dialog, kCommPortListId);
    app.Window.DialogText = item.substr(0, item.find(' '));
    host.EndDialog(dialog, kResultAccepted);
  };
}

// "Com1  FT232R USB UART" for each name the driver lists, "Com2  (none)"
// for a name that reaches no device; the bare names when the driver lists
// nothing.
std::vector<std::string> CommPortItems(AppContext& app) {
  std::vector<SerialPortListing> listings;
  if (app.Link.Serial != nullptr) listings = app.Link.Serial->ListPorts(false);
  std::vector<std::string> items;
  for (int i = 1; i <= kCommPortCount; ++i) {
    std::string item = "Com" + std::to_string(i);
    const auto listed =
        std::find_if(listings.begin(), listings.end(),
                     [&item](const SerialPortListing& l) { return l.ComName == item; });
    if (listed != listings.end()) item += "  " + PortShortDescription(listed->Info);
    items.push_back(std::move(item));
  }
  return items;
}

ControlCallback OkCallback(AppContext& app, DialogHost& host) {
  return [&app, &host](DialogId dialog, int /*notification*/) {
    app.Window.DialogText = host.GetText(dialog, kDialogTextBoxId);
    host.EndDialog(dialog, kResultAccepted);
  };
}

ControlPlan CancelButton(DialogHost& host, int x, int y, int width) {
  return {ControlKind::PushButton, kIdCancel, "Cancel", {}, x, y, width, 14, CancelCallback(host)};
}

// The port number is the fourth character of the name ("Com3" -> 3); any
// other name selects nothing.
int PortNumber(const std::string& name) {
  if (name.size() < 4) return 0;
  const int number = name[3] - '0';
  return number >= 1 && number <= kCommPortCount ? number : 0;
}

std::optional<std::string> Accepted(AppContext& app, int result) {
  if (result != kResultAccepted) return std::nullopt;
  return app.Window.DialogText;
}

}  // namespace

DialogHost* DialogHostFor(AppContext& app, std::string_view caption) {
  PlatformWindow* window = app.Window.CurrentWindow;
  if (window == nullptr) return nullptr;
  DialogHost* host = window->Dialogs();
  if (host == nullptr) window->SayDialogUnshown(caption);
  return host;
}

std::optional<std::string> AskCommPort(AppContext& app) {
  DialogHost* host = DialogHostFor(app, kCommPortCaption);
  if (host == nullptr) return std::nullopt;
  std::vector<std::string> items = CommPortItems(app);
  // Wide enough for what describes the ports, when anything does.
  const bool described = items.front().size() > 4;
  const int width = described ? 200 : 80;
  const DialogId dialog = host->NewDialog(kCommPortCaption, width, 120);
  ControlPlan list{ControlKind::ListBox,
                   kCommPortListId,
                   "",
                   std::move(items),
                   described ? 10 : 20,
                   10,
                   described ? width - 20 : 40,
                   80,
                   ListChoiceCallback(app, *host)};
  host->AddControl(dialog, list);
  const int selected = PortNumber(app.Link.CommPortName);
  if (selected != 0) host->SelectListItem(dialog, kCommPortListId, selected);
  host->AddControl(dialog, CancelButton(*host, (width - 30) / 2, 90, 30));
  return Accepted(app, host->ShowModal(dialog));
}

std::optional<std::string> AskText(AppContext& app, const std::string& caption,
                                   const std::string& initialText) {
  DialogHost* host = DialogHostFor(app, caption);
  if (host == nullptr) return std::nullopt;
  const DialogId dialog = host->NewDialog(caption, 160, 50);
  host->AddControl(dialog,
                   {ControlKind::TextBox, kDialogTextBoxId, initialText, {}, 14, 12, 134, 12, {}});
  host->AddControl(
      dialog,
      {ControlKind::DefaultPushButton, kIdOk, "OK", {}, 34, 32, 40, 14, OkCallback(app, *host)});
  host->AddControl(dialog, CancelButton(*host, 84, 32, 40));
  return Accepted(app, host->ShowModal(dialog));
}

void ShowAbout(AppContext& app) {
  if (DialogHost* host = DialogHostFor(app, kAboutCaption)) host->ShowAbout();
}

}  // namespace ptpdiag
