// Run-time dialogs on Windows: an in-memory template for
// CreateDialogIndirectParamA (MS Sans Serif 8 point, no owner, centred),
// controls made with CreateWindowExA (free text boxes with CreateWindowExW,
// to hold UTF-8) at MapDialogRect's rectangles, and a
// modal loop of their own that passes the dialog's messages through
// IsDialogMessageA, so Enter and Esc work and the main window keeps
// ticking underneath. The About box is the "ABOUT" resource.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/dialog_host.h"
#include "platform/win32/windows_api.h"

namespace ptpdiag {

// The run-time dialogs' template: caption and size in dialog units, no
// controls (they are added afterwards). WORD-aligned, as the call needs.
std::vector<WORD> DialogTemplate(const std::string& caption, int width, int height);

// Identifier of the About box's timer, and how long it stays.
inline constexpr UINT_PTR kAboutTimer = 65261;
inline constexpr UINT kAboutMs = 4000;

class Win32DialogHost final : public DialogHost {
 public:
  // `owner` owns the About box only.
  Win32DialogHost(HINSTANCE instance, HWND owner);
  ~Win32DialogHost() override;
  Win32DialogHost(const Win32DialogHost&) = delete;
  Win32DialogHost& operator=(const Win32DialogHost&) = delete;

  DialogId NewDialog(const std::string& caption, int width, int height) override;
  void AddControl(DialogId dialog, const ControlPlan& control) override;
  void SelectListItem(DialogId dialog, int controlId, int number) override;
  std::string GetListText(DialogId dialog, int controlId) override;
  std::string GetText(DialogId dialog, int controlId) override;
  void SetListItems(DialogId dialog, int controlId, const std::vector<std::string>& items) override;
  int ShowModal(DialogId dialog) override;
  void EndDialog(DialogId dialog, int result) override;
  void ShowAbout() override;

  // The window of a dialog that is open (tests look inside); null otherwise.
  HWND DialogWindow(DialogId dialog) const;
  // The About box's last result: 1 OK (button, Enter or time-out), 0 Esc.
  int LastAboutResult() const { return lastAboutResult_; }

 private:
  struct Dialog {
    HWND Window = nullptr;
    std::map<int, ControlCallback> Callbacks;
    int Result = 0;
    bool Ended = false;
  };

  static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK AboutProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(HWND window, int controlId, int notification);

  HINSTANCE instance_;
  HWND owner_;
  std::map<DialogId, Dialog> dialogs_;
  DialogId next_ = 1;
  int lastAboutResult_ = -1;
};

}  // namespace ptpdiag
