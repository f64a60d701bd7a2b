// Dialogs built at run time from a few control descriptions, shown modally
// with no owner (the main window keeps working underneath), and the About
// box. Sizes and positions are dialog units of the dialog font.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ptpdiag {

using DialogId = int;

// TextBox holds the code page's bytes (addresses, passwords, as the radio
// takes them); FreeTextBox holds UTF-8 (names and notes as typed). A Label
// is one line of UTF-8 text that takes no focus.
enum class ControlKind { PushButton, DefaultPushButton, TextBox, ListBox, FreeTextBox, Label };

// Runs when the control sends a command to its dialog, with the
// notification code (list boxes: 1 selection changed, 2 double click).
using ControlCallback = std::function<void(DialogId dialog, int notification)>;

struct ControlPlan {
  ControlKind Kind = ControlKind::PushButton;
  int Id = 0;
  std::string Text;                // caption or initial text
  std::vector<std::string> Items;  // list boxes: one item each, up to the first empty one
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  ControlCallback Callback;  // may be empty
  bool Sorted = true;        // list boxes: items in order without case, else as given
};

// Identifiers the dialogs' keyboard handling sends: Enter the default push
// button's, Esc this one.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

class DialogHost {
 public:
  virtual ~DialogHost() = default;
  // A hidden, centred dialog with a caption and no close box.
  virtual DialogId NewDialog(const std::string& caption, int width, int height) = 0;
  virtual void AddControl(DialogId dialog, const ControlPlan& control) = 0;
  // Numbers count from 1.
  virtual void SelectListItem(DialogId dialog, int controlId, int number) = 0;
  // The selected item's text; empty when none is selected.
  virtual std::string GetListText(DialogId dialog, int controlId) = 0;
  virtual std::string GetText(DialogId dialog, int controlId) = 0;
  // Replaces a list box's items (up to the first empty one); none selected.
  virtual void SetListItems(DialogId dialog, int controlId,
                            const std::vector<std::string>& items) = 0;
  // Shows the dialog and runs a message loop until EndDialog; returns its
  // result. Other windows keep getting their messages meanwhile, so a
  // second dialog may open on top and return first.
  virtual int ShowModal(DialogId dialog) = 0;
  // Records the result for ShowModal and destroys the dialog.
  virtual void EndDialog(DialogId dialog, int result) = 0;
  // The About box: truly modal over the main window, closing itself after
  // four seconds.
  virtual void ShowAbout() = 0;
};

}  // namespace ptpdiag
