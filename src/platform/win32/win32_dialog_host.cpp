#include "platform/win32/win32_dialog_host.h"

#include <cstring>

namespace ptpdiag {
namespace {

constexpr DWORD kDialogStyle =
    WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_NOFAILCREATE | DS_3DLOOK | DS_CENTER;
constexpr WORD kFontPoints = 8;
constexpr char kFontName[] = "MS Sans Serif";

void AppendWide(std::vector<WORD>& out, const std::string& text) {
  for (const char c : text) {
    out.push_back(static_cast<unsigned char>(c));  // ANSI captions: Latin-1 to UTF-16
  }
  out.push_back(0);
}

struct ControlClass {
  const char* Name;
  DWORD Style;
  DWORD ExStyle;
};

ControlClass ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::PushButton:
      return {"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::DefaultPushButton:
      return {"BUTTON", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 0};
    case ControlKind::TextBox:
    case ControlKind::FreeTextBox:
      return {"EDIT", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::ListBox:
      return {"LISTBOX", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_SORT,
              WS_EX_CLIENTEDGE};
    case ControlKind::Label:
      return {"STATIC", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0};
  }
  return {"STATIC", WS_CHILD | WS_VISIBLE, 0};
}

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0)
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

// A Unicode control's text as UTF-8.
std::string WideWindowText(HWND control) {
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(control, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return Utf8(text);
}

HWND MakeControl(const ControlPlan& control, const RECT& area, HWND dialog, HINSTANCE instance) {
  const ControlClass kind = ClassOf(control.Kind);
  const DWORD style =
      kind.Style &
      (control.Kind == ControlKind::ListBox && !control.Sorted ? ~DWORD{LBS_SORT} : ~DWORD{0});
  const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.Id));
  if (control.Kind == ControlKind::FreeTextBox || control.Kind == ControlKind::Label) {
    const wchar_t* name = control.Kind == ControlKind::Label ? L"STATIC" : L"EDIT";
    return CreateWindowExW(kind.ExStyle, name, Wide(control.Text).c_str(), style, area.left,
                           area.top, area.right - area.left, area.bottom - area.top, dialog, id,
                           instance, nullptr);
  }
  return CreateWindowExA(kind.ExStyle, kind.Name, control.Text.c_str(), style, area.left, area.top,
                         area.right - area.left, area.bottom - area.top, dialog, id, instance,
                         nullptr);
}

void FillList(HWND list, const std::vector<std::string>& items) {
  for (const std::string& item : items) {
    if (item.empty()) break;
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
}

std::string WindowText(HWND control) {
  if (control == nullptr) return {};
  if (IsWindowUnicode(control)) return WideWindowText(control);
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(control, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

}  // namespace

std::vector<WORD> DialogTemplate(const std::string& caption, int width, int height) {
  DLGTEMPLATE header{};
  header.style = kDialogStyle;
  header.cdit = 0;
  // Centred by DS_CENTER; the position is given as -1, -1.
  header.x = -1;
  header.y = -1;
  header.cx = static_cast<short>(width);
  header.cy = static_cast<short>(height);
  std::vector<WORD> words(sizeof header / sizeof(WORD));
  std::memcpy(words.data(), &header, sizeof header);
  words.push_back(0);  // no menu
  words.push_back(0);  // the standard dialog class
  AppendWide(words, caption);
  words.push_back(kFontPoints);
  AppendWide(words, kFontName);
  return words;
}

Win32DialogHost::Win32DialogHost(HINSTANCE instance, HWND owner)
    : instance_(instance), owner_(owner) {}

Win32DialogHost::~Win32DialogHost() {
  for (auto& [id, dialog] : dialogs_) {
    if (dialog.Window != nullptr) DestroyWindow(dialog.Window);
  }
}

DialogId Win32DialogHost::NewDialog(const std::string& caption, int width, int height) {
  const std::vector<WORD> dialogTemplate = DialogTemplate(caption, width, height);
  const HWND window = CreateDialogIndirectParamA(
      instance_, reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), nullptr,
      &Win32DialogHost::DialogProcedure, reinterpret_cast<LPARAM>(this));
  const DialogId id = next_++;
  dialogs_[id].Window = window;
  return id;
}

void Win32DialogHost::AddControl(DialogId dialog, const ControlPlan& control) {
  const auto found = dialogs_.find(dialog);
  if (found == dialogs_.end() || found->second.Window == nullptr) return;
  const HWND window = found->second.Window;
  RECT area{control.X, control.Y, control.X + control.Width, control.Y + control.Height};
  MapDialogRect(window, &area);
  const HWND child = MakeControl(control, area, window, instance_);
  SendMessageA(child, WM_SETFONT, SendMessageA(window, WM_GETFONT, 0, 0), FALSE);
  if (control.Kind == ControlKind::ListBox) FillList(child, control.Items);
  if (control.Callback) found->second.Callbacks[control.Id] = control.Callback;
}

void Win32DialogHost::SelectListItem(DialogId dialog, int controlId, int number) {
  SendDlgItemMessageA(DialogWindow(dialog), controlId, LB_SETCURSEL,
                      static_cast<WPARAM>(number - 1), 0);
}

std::string Win32DialogHost::GetListText(DialogId dialog, int controlId) {
  const HWND list = GetDlgItem(DialogWindow(dialog), controlId);
  if (list == nullptr) return {};
  const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return {};
  const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(selected), 0);
  if (length == LB_ERR) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(selected),
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

std::string Win32DialogHost::GetText(DialogId dialog, int controlId) {
  return WindowText(GetDlgItem(DialogWindow(dialog), controlId));
}

void Win32DialogHost::SetListItems(DialogId dialog, int controlId,
                                   const std::vector<std::string>& items) {
  const HWND list = GetDlgItem(DialogWindow(dialog), controlId);
  if (list == nullptr) return;
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  FillList(list, items);
}

int Win32DialogHost::ShowModal(DialogId dialog) {
  const auto found = dialogs_.find(dialog);
  if (found == dialogs_.end() || found->second.Window == nullptr) {
    dialogs_.erase(dialog);
    return 0;
  }
  const HWND window = found->second.Window;
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);  // keys go to the new dialog
  if (const HWND first = GetNextDlgTabItem(window, nullptr, FALSE)) {
    SetFocus(first);
    SendMessageA(first, EM_SETSEL, 0, -1);
  }
  MSG msg{};
  while (!dialogs_[dialog].Ended) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending under the dialog: cancel it, and let the
      // loop outside see the quit too.
      if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
      EndDialog(dialog, 0);
      break;
    }
    if (IsDialogMessageA(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  const int result = dialogs_[dialog].Result;
  dialogs_.erase(dialog);
  return result;
}

void Win32DialogHost::EndDialog(DialogId dialog, int result) {
  const auto found = dialogs_.find(dialog);
  if (found == dialogs_.end() || found->second.Ended) return;
  found->second.Result = result;
  found->second.Ended = true;
  const HWND window = found->second.Window;
  found->second.Window = nullptr;
  if (window != nullptr) DestroyWindow(window);
}

HWND Win32DialogHost::DialogWindow(DialogId dialog) const {
  const auto found = dialogs_.find(dialog);
  return found == dialogs_.end() ? nullptr : found->second.Window;
}

void Win32DialogHost::OnCommand(HWND window, int controlId, int notification) {
  for (auto& [id, dialog] : dialogs_) {
    if (dialog.Window != window) continue;
    const auto callback = dialog.Callbacks.find(controlId);
    if (callback == dialog.Callbacks.end()) return;
    // A copy: the callback may end the dialog and drop its callbacks.
    const ControlCallback run = callback->second;
    run(id, notification);
    return;
  }
}

INT_PTR CALLBACK Win32DialogHost::DialogProcedure(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    return TRUE;
  }
  auto* host = reinterpret_cast<Win32DialogHost*>(GetWindowLongPtrA(window, DWLP_USER));
  if (message == WM_COMMAND && host != nullptr) {
    host->OnCommand(window, LOWORD(wParam), HIWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

void Win32DialogHost::ShowAbout() {
  lastAboutResult_ = static_cast<int>(
      DialogBoxParamA(instance_, "ABOUT", owner_, &Win32DialogHost::AboutProcedure, 0));
}

INT_PTR CALLBACK Win32DialogHost::AboutProcedure(HWND window, UINT message, WPARAM wParam, LPARAM) {
  constexpr int kOkButton = 103;
  switch (message) {
    case WM_INITDIALOG:
      SetTimer(window, kAboutTimer, kAboutMs, nullptr);
      return FALSE;
    case WM_TIMER:
      SendMessageA(window, WM_COMMAND, IDOK, 0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(window, 0);
        return TRUE;
      }
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == kOkButton) {
        ::EndDialog(window, 1);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace ptpdiag
