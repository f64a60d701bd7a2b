// A dialog host that records what the core builds and, when a dialog is
// shown, plays the next scripted user action on it instead of waiting.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/dialog_host.h"

namespace ptpdiag::test {

struct FakeDialog {
  std::string Caption;
  int Width = 0;
  int Height = 0;
  std::vector<ControlPlan> Controls;
  // List boxes: the number last selected, as given (0: none), and the
  // items (as planned, then as set). Text boxes: the text.
  std::map<int, int> Selected;
  std::map<int, std::vector<std::string>> Items;
  std::map<int, std::string> Texts;
  bool Shown = false;
  bool Ended = false;
  int Result = -1;
};

class FakeDialogs;
// What the user does while a dialog is shown.
using DialogAction = std::function<void(FakeDialogs& host, DialogId dialog)>;

class FakeDialogs final : public DialogHost {
 public:
  // One action per ShowModal, taken in turn; none left leaves the dialog open.
  std::deque<DialogAction> Script;

  // Dialogs by id (ids count from 1).
  FakeDialog& At(DialogId dialog) { return dialogs_.at(static_cast<std::size_t>(dialog - 1)); }
  std::size_t Count() const { return dialogs_.size(); }
  // Ids in the order their ShowModal returned.
  const std::vector<DialogId>& Returned() const { return returned_; }
  int AboutCount() const { return aboutCount_; }
  // ShowModal calls that returned with the dialog still open (-1 each).
  int LeftOpen() const { return leftOpen_; }
  // The control of `dialog` with `controlId`; null when there is none.
  const ControlPlan* Control(DialogId dialog, int controlId);
  // Sends a command from a control, as the platform would.
  void Command(DialogId dialog, int controlId, int notification);

  DialogId NewDialog(const std::string& caption, int width, int height) override;
  void AddControl(DialogId dialog, const ControlPlan& control) override;
  void SelectListItem(DialogId dialog, int controlId, int number) override;
  std::string GetListText(DialogId dialog, int controlId) override;
  std::string GetText(DialogId dialog, int controlId) override;
  void SetListItems(DialogId dialog, int controlId, const std::vector<std::string>& items) override;
  int ShowModal(DialogId dialog) override;
  void EndDialog(DialogId dialog, int result) override;
  void ShowAbout() override { ++aboutCount_; }

 private:
  std::deque<FakeDialog> dialogs_;  // stable while a nested dialog is added
  std::vector<DialogId> returned_;
  int aboutCount_ = 0;
  int leftOpen_ = 0;
};

// Scripted actions.
// The user selects item `number` of a list and the list notifies.
DialogAction SelectItem(int controlId, int number, int notification);
// The control notifies without any change (a stray code, or a double click).
DialogAction Notify(int controlId, int notification);
// The user replaces the text of a text box.
DialogAction Type(int controlId, std::string text);
// The user presses a push button.
DialogAction Press(int buttonId);
// Runs `first` then `second` (e.g. type, then press OK).
DialogAction Then(DialogAction first, DialogAction second);
// Anything else happening while the dialog is up, e.g. a further command
// that opens a second dialog.
DialogAction Meanwhile(std::function<void()> action);

}  // namespace ptpdiag::test
