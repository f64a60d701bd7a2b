// Run-time dialogs built from the in-memory template, their nested loops,
// and the About box from the resources.
#include "platform/win32/win32_dialog_host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "platform/win32/win32_loop_window.h"
#include "win32_test_support.h"

namespace ptpdiag {
namespace {

using namespace std::chrono_literals;

class Win32DialogHostTest : public testing::Test {
 protected:
  // A text dialog as the commands build it: the text box, OK (default)
  // and Cancel.
  DialogId TextDialog(const std::string& caption, const std::string& text) {
    const DialogId dialog = host.NewDialog(caption, 160, 50);
    host.AddControl(dialog, {ControlKind::TextBox, 100, text, {}, 14, 12, 134, 12, {}});
    host.AddControl(
        dialog,
        {ControlKind::DefaultPushButton, 1, "OK", {}, 34, 32, 40, 14, [this](DialogId d, int) {
           accepted = host.GetText(d, 100);
           host.EndDialog(d, 1);
         }});
    host.AddControl(
        dialog, {ControlKind::PushButton, 2, "Cancel", {}, 84, 32, 40, 14, [this](DialogId d, int) {
                   host.EndDialog(d, 0);
                 }});
    return dialog;
  }

  Win32DialogHost host{ProgramInstance(), nullptr};
  std::string accepted;
};

TEST_F(Win32DialogHostTest, ControlsSitWhereMapDialogRectPutsThem) {
  const DialogId dialog = TextDialog("Polling Interval", "0.1");
  const HWND window = host.DialogWindow(dialog);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(test::TextOf(window), "Polling Interval");
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU, 0);  // no close box
  const struct {
    int Id;
    RECT Units;
  } expected[] = {{100, {14, 12, 148, 24}}, {1, {34, 32, 74, 46}}, {2, {84, 32, 124, 46}}};
  for (const auto& e : expected) {
    RECT pixels = e.Units;
    MapDialogRect(window, &pixels);
    RECT placed{};
    const HWND control = GetDlgItem(window, e.Id);
    GetWindowRect(control, &placed);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, pixels.left) << e.Id;
    EXPECT_EQ(placed.top, pixels.top) << e.Id;
    EXPECT_EQ(placed.right, pixels.right) << e.Id;
    EXPECT_EQ(placed.bottom, pixels.bottom) << e.Id;
  }
  EXPECT_NE(GetWindowLongA(GetDlgItem(window, 1), GWL_STYLE) & BS_DEFPUSHBUTTON, 0);
  EXPECT_EQ(host.GetText(dialog, 100), "0.1");
  host.EndDialog(dialog, 0);
  EXPECT_EQ(host.DialogWindow(dialog), nullptr);
}

TEST_F(Win32DialogHostTest, EnterAcceptsTheTextAsTypedAndEscCancels) {
  const DialogId first = TextDialog("Locate Radio", "0");
  test::WhenWindowOpens("Locate Radio", [](HWND window) {
    const HWND edit = GetDlgItem(window, 100);
    test::PostText(edit, "1234");  // typed over the selected text
    test::PostKey(edit, VK_RETURN);
  });
  EXPECT_EQ(host.ShowModal(first), 1);
  EXPECT_EQ(accepted, "1234");

  const DialogId second = TextDialog("UDP PassWord", "abcd");
  test::WhenWindowOpens("UDP PassWord",
                        [](HWND window) { test::PostKey(GetDlgItem(window, 100), VK_ESCAPE); });
  EXPECT_EQ(host.ShowModal(second), 0);
}

TEST_F(Win32DialogHostTest, ListBoxesAreSortedAndReportTheirChoice) {
  const DialogId dialog = host.NewDialog("Select Comm Port", 80, 120);
  int notified = 0;
  host.AddControl(dialog, {ControlKind::ListBox,
                           5555,
                           "",
                           {"Com3", "Com1", "Com2", "", "Com9"},
                           20,
                           10,
                           40,
                           80,
                           [&](DialogId d, int code) {
                             // As the list-choice callback: other
                             // notifications (focus) pass.
                             if (code != LBN_SELCHANGE && code != LBN_DBLCLK) return;
                             notified = code;
                             host.EndDialog(d, 1);
                           }});
  const HWND list = GetDlgItem(host.DialogWindow(dialog), 5555);
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);  // up to the first empty item
  host.SelectListItem(dialog, 5555, 2);
  EXPECT_EQ(host.GetListText(dialog, 5555), "Com2");
  PostMessageA(host.DialogWindow(dialog), WM_COMMAND, MAKEWPARAM(5555, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(list));
  EXPECT_EQ(host.ShowModal(dialog), 1);
  EXPECT_EQ(notified, LBN_DBLCLK);
}

// Free text and labels hold UTF-8 (Unicode controls); a list that is not
// sorted keeps its items as given, also when they are replaced.
TEST_F(Win32DialogHostTest, FreeTextIsUtf8AndUnsortedListsKeepTheirOrder) {
  const DialogId dialog = host.NewDialog("Link Report", 280, 100);
  host.AddControl(dialog, {ControlKind::Label, 300, "Site \xC3\x98:", {}, 8, 10, 80, 8, {}});
  host.AddControl(dialog, {ControlKind::FreeTextBox, 200, "N\xC3\xB8rd", {}, 96, 8, 176, 12, {}});
  ControlPlan list{ControlKind::ListBox, 400, "", {"z.png", "a.jpg"}, 96, 30, 176, 50, {}};
  list.Sorted = false;
  host.AddControl(dialog, list);
  const HWND window = host.DialogWindow(dialog);
  wchar_t label[16]{};
  GetWindowTextW(GetDlgItem(window, 300), label, 16);
  EXPECT_EQ(std::wstring(label), L"Site \u00D8:");
  EXPECT_EQ(host.GetText(dialog, 200), "N\xC3\xB8rd");
  SetWindowTextW(GetDlgItem(window, 200), L"\u00C5s \u2013 mast");
  EXPECT_EQ(host.GetText(dialog, 200), "\xC3\x85s \xE2\x80\x93 mast");
  host.SelectListItem(dialog, 400, 1);
  EXPECT_EQ(host.GetListText(dialog, 400), "z.png");
  host.SetListItems(dialog, 400, {"m.jpg", "b.png", "", "x.png"});
  EXPECT_EQ(SendDlgItemMessageA(window, 400, LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(host.GetListText(dialog, 400), "");  // none selected
  host.SelectListItem(dialog, 400, 1);
  EXPECT_EQ(host.GetListText(dialog, 400), "m.jpg");
  host.EndDialog(dialog, 0);
}

TEST_F(Win32DialogHostTest, ASecondDialogOnTopReturnsFirst) {
  std::vector<std::string> order;
  const DialogId outer = TextDialog("New IP Address", "");
  test::WhenWindowOpens("New IP Address", [&](HWND window) {
    const DialogId inner = TextDialog("Port Address", "");
    test::WhenWindowOpens("Port Address", [](HWND innerWindow) {
      test::PostKey(GetDlgItem(innerWindow, 100), VK_ESCAPE);
    });
    order.push_back("inner " + std::to_string(host.ShowModal(inner)));
    test::PostKey(GetDlgItem(window, 100), VK_RETURN);
  });
  order.push_back("outer " + std::to_string(host.ShowModal(outer)));
  EXPECT_EQ(order, (std::vector<std::string>{"inner 0", "outer 1"}));
}

TEST_F(Win32DialogHostTest, TheProgramEndingUnderADialogCancelsIt) {
  const DialogId dialog = TextDialog("Polling Interval", "0.1");
  test::WhenWindowOpens("Polling Interval", [](HWND) { PostQuitMessage(3); });
  EXPECT_EQ(host.ShowModal(dialog), 0);
  MSG quit{};
  ASSERT_NE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE), 0);  // passed on
  EXPECT_EQ(quit.wParam, 3U);
}

TEST_F(Win32DialogHostTest, AboutClosesItselfAsOkAndEscClosesItAtOnce) {
  const auto start = std::chrono::steady_clock::now();
  host.ShowAbout();
  const auto shown = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(host.LastAboutResult(), 1);
  EXPECT_GE(shown, 3500ms);
  EXPECT_LT(shown, 8000ms);

  test::WhenWindowOpens("About ptpdiag", [](HWND about) { test::PostKey(about, VK_ESCAPE); });
  host.ShowAbout();
  EXPECT_EQ(host.LastAboutResult(), 0);
}

TEST(DialogTemplate, HoldsTheFrameCaptionAndFont) {
  const std::vector<WORD> words = DialogTemplate("Port Address", 160, 50);
  DLGTEMPLATE header{};
  std::memcpy(&header, words.data(), sizeof header);
  EXPECT_EQ(header.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT |
                                             DS_NOFAILCREATE | DS_3DLOOK | DS_CENTER));
  EXPECT_EQ(header.cdit, 0);
  EXPECT_EQ(header.cx, 160);
  EXPECT_EQ(header.cy, 50);
  std::size_t at = sizeof header / sizeof(WORD);
  EXPECT_EQ(words[at++], 0);  // no menu
  EXPECT_EQ(words[at++], 0);  // standard class
  std::string caption;
  while (words[at] != 0)
    caption += static_cast<char>(words[at++]);
  ++at;
  EXPECT_EQ(caption, "Port Address");
  EXPECT_EQ(words[at++], 8);  // points
  std::string font;
  while (words[at] != 0)
    font += static_cast<char>(words[at++]);
  EXPECT_EQ(font, "MS Sans Serif");
}

}  // namespace
}  // namespace ptpdiag
