#include "support/fake_dialogs.h"

#include <utility>

namespace ptpdiag::test {

const ControlPlan* FakeDialogs::Control(DialogId dialog, int controlId) {
  for (const ControlPlan& control : At(dialog).Controls) {
    if (control.Id == controlId) return &control;
  }
  return nullptr;
}

void FakeDialogs::Command(DialogId dialog, int controlId, int notification) {
  const ControlPlan* control = Control(dialog, controlId);
  if (At(dialog).Ended || control == nullptr || !control->Callback) return;
  // A copy: the callback may add dialogs while it runs.
  const ControlCallback callback = control->Callback;
  callback(dialog, notification);
}

DialogId FakeDialogs::NewDialog(const std::string& caption, int width, int height) {
  FakeDialog dialog;
  dialog.Caption = caption;
  dialog.Width = width;
  dialog.Height = height;
  dialogs_.push_back(std::move(dialog));
  return static_cast<DialogId>(dialogs_.size());
}

void FakeDialogs::AddControl(DialogId dialog, const ControlPlan& control) {
  FakeDialog& d = At(dialog);
  d.Controls.push_back(control);
  if (control.Kind == ControlKind::TextBox || control.Kind == ControlKind::FreeTextBox)
    d.Texts[control.Id] = control.Text;
  if (control.Kind == ControlKind::ListBox) {
    d.Selected[control.Id] = 0;
    d.Items[control.Id] = control.Items;
  }
}

void FakeDialogs::SelectListItem(DialogId dialog, int controlId, int number) {
  // Kept as asked, even out of range, so a test sees what the caller asked.
  if (Control(dialog, controlId) != nullptr) At(dialog).Selected[controlId] = number;
}

std::string FakeDialogs::GetListText(DialogId dialog, int controlId) {
  const std::vector<std::string>& items = At(dialog).Items[controlId];
  const int number = At(dialog).Selected[controlId];
  if (number < 1 || number > static_cast<int>(items.size())) return {};
  return items[static_cast<std::size_t>(number - 1)];
}

void FakeDialogs::SetListItems(DialogId dialog, int controlId,
                               const std::vector<std::string>& items) {
  if (Control(dialog, controlId) == nullptr) return;
  At(dialog).Items[controlId] = items;
  At(dialog).Selected[controlId] = 0;
}

std::string FakeDialogs::GetText(DialogId dialog, int controlId) {
  return At(dialog).Texts[controlId];
}

int FakeDialogs::ShowModal(DialogId dialog) {
  At(dialog).Shown = true;
  if (!Script.empty()) {
    const DialogAction action = std::move(Script.front());
    Script.pop_front();
    action(*this, dialog);
  }
  returned_.push_back(dialog);
  if (!At(dialog).Ended) {
    ++leftOpen_;
    return -1;
  }
  return At(dialog).Result;
}

void FakeDialogs::EndDialog(DialogId dialog, int result) {
  At(dialog).Ended = true;
  At(dialog).Result = result;
}

DialogAction SelectItem(int controlId, int number, int notification) {
  return [=](FakeDialogs& host, DialogId dialog) {
    host.SelectListItem(dialog, controlId, number);
    host.Command(dialog, controlId, notification);
  };
}

DialogAction Notify(int controlId, int notification) {
  return [=](FakeDialogs& host, DialogId dialog) { host.Command(dialog, controlId, notification); };
}

DialogAction Type(int controlId, std::string text) {
  return [controlId, text = std::move(text)](FakeDialogs& host, DialogId dialog) {
    host.At(dialog).Texts[controlId] = text;
  };
}

DialogAction Press(int buttonId) {
  return Notify(buttonId, 0);
}

DialogAction Then(DialogAction first, DialogAction second) {
  return
      [first = std::move(first), second = std::move(second)](FakeDialogs& host, DialogId dialog) {
        first(host, dialog);
        second(host, dialog);
      };
}

DialogAction Meanwhile(std::function<void()> action) {
  return [action = std::move(action)](FakeDialogs&, DialogId) { action(); };
}

}  // namespace ptpdiag::test
