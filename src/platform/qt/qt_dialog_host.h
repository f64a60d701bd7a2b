// Run-time dialogs and the About box on Qt widgets. A run-time dialog is a
// top-level window with no owner, shown without modality while ShowModal
// runs a local event loop for it, so the main window keeps its keys, menu,
// timer and repaints; dialogs opened meanwhile nest inside that loop.
#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>
#include <map>
#include <memory>

#include "platform/dialog_host.h"

class QDialog;

namespace ptpdiag {

// Pixels per 4 horizontal and per 8 vertical dialog units of a font: the
// average width of the 52 Latin letters, rounded, and the font's height.
struct DialogBaseUnits {
  int X = 0;
  int Y = 0;
};
DialogBaseUnits BaseUnits(const QFont& font);

// A rectangle in dialog units in pixels: each edge scaled and rounded on
// its own, so adjoining rectangles stay adjoining.
QRect MapDialogRect(const QRect& dialogUnits, DialogBaseUnits units);

// The font of the run-time dialogs: the application's font at 8 points.
QFont DialogFont();

class QtDialogHost final : public DialogHost {
 public:
  // `mainWindow` (not owned) only owns the About box; it may be null.
  explicit QtDialogHost(QWidget* mainWindow, int aboutTimeoutMs = 4000);
  ~QtDialogHost() override;
  QtDialogHost(const QtDialogHost&) = delete;
  QtDialogHost& operator=(const QtDialogHost&) = delete;

  // How long the About box stays before it closes itself as OK.
  void SetAboutTimeout(int ms) { aboutTimeoutMs_ = ms; }
  // The About box's last result: 1 OK (button, Enter or time-out), 0 Esc;
  // -1 before it was first shown.
  int LastAboutResult() const { return lastAboutResult_; }
  // For inspection: a dialog's window and one of its controls; null when
  // unknown or once the dialog has ended.
  QDialog* Widget(DialogId dialog) const;
  QWidget* Control(DialogId dialog, int controlId) const;

  DialogId NewDialog(const std::string& caption, int width, int height) override;
  void AddControl(DialogId dialog, const ControlPlan& control) override;
  void SelectListItem(DialogId dialog, int controlId, int number) override;
  std::string GetListText(DialogId dialog, int controlId) override;
  std::string GetText(DialogId dialog, int controlId) override;
  void SetListItems(DialogId dialog, int controlId, const std::vector<std::string>& items) override;
  int ShowModal(DialogId dialog) override;
  void EndDialog(DialogId dialog, int result) override;
  void ShowAbout() override;

 private:
  struct Dialog;

  Dialog* Find(DialogId dialog) const;
  // Shows the dialog centred on the screen, focused on its first tab stop.
  void Show(Dialog& d);
  QWidget* MakeControl(DialogId dialog, const ControlPlan& control, QWidget* parent);
  // Runs the callback of `controlId`, as a command from that control would.
  void Command(DialogId dialog, int controlId, int notification);
  // Enter: the command of the focused push button, else of the default one
  // (identifier 1 when there is none).
  void EnterPressed(DialogId dialog);

  QWidget* mainWindow_;
  int aboutTimeoutMs_;
  int lastAboutResult_ = -1;
  DialogId nextId_ = 1;
  std::map<DialogId, std::unique_ptr<Dialog>> dialogs_;
};

}  // namespace ptpdiag
