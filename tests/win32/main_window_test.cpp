// The Windows main window with the whole program behind it: its class,
// caption, resources and status bar, and real messages reaching the
// window procedure with their own numbers.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/png_file.h"
#include "platform/win32/win32_loop_window.h"
#include "resources/about_box.h"
#include "resources/main_menu.h"
#include "resources/string_table.h"
#include "shell/startup.h"
#include "state/app_context.h"
#include "support/temp_folder.h"
#include "support/test_app.h"
#include "win32_test_support.h"

namespace ptpdiag {
namespace {

using namespace std::chrono_literals;

std::string MenuText(HMENU menu, UINT position) {
  char text[256] = {};
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

TEST(Win32Resources, MainMenuIsTheMenuOfTheCommandTable) {
  const HMENU bar = LoadMenuA(ProgramInstance(), "MAINMENU");
  ASSERT_NE(bar, nullptr);
  const auto& popups = MainMenu();
  ASSERT_EQ(GetMenuItemCount(bar), static_cast<int>(popups.size()));
  for (UINT p = 0; p < popups.size(); ++p) {
    EXPECT_EQ(MenuText(bar, p), popups[p].Title);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(bar, p, TRUE, &info);
    EXPECT_EQ((info.fType & MFT_RIGHTJUSTIFY) != 0, popups[p].RightEnd) << popups[p].Title;
    const HMENU popup = GetSubMenu(bar, static_cast<int>(p));
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(popups[p].Items.size()));
    for (UINT i = 0; i < popups[p].Items.size(); ++i) {
      const MenuItem& item = popups[p].Items[i];
      if (item.Id == 0) {
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoA(popup, i, TRUE, &info);
        EXPECT_NE(info.fType & MFT_SEPARATOR, 0U);
        continue;
      }
      EXPECT_EQ(GetMenuItemID(popup, static_cast<int>(i)), item.Id);
      EXPECT_EQ(MenuText(popup, i), item.Text);
    }
  }
  DestroyMenu(bar);
}

TEST(Win32Resources, StringTableIsTheMenuHelp) {
  for (UINT id = 0; id < 5000; ++id) {
    char text[256] = {};
    LoadStringA(ProgramInstance(), id, text, 255);
    EXPECT_EQ(std::string(text), LoadMenuHelp(id)) << id;
  }
}

TEST(Win32Resources, AboutBoxHoldsItsTextsIconAndButton) {
  EXPECT_NE(LoadIconA(ProgramInstance(), "PROGRAM"), nullptr);
  const HWND about = CreateDialogParamA(
      ProgramInstance(), "ABOUT", nullptr, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return 0; },
      0);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(test::TextOf(about), kAboutCaption);
  const int ids[] = {101, 193, 102};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(test::TextOf(GetDlgItem(about, ids[i])), kAboutLines[static_cast<std::size_t>(i)]);
  }
  EXPECT_EQ(test::TextOf(GetDlgItem(about, 103)), "&OK");
  EXPECT_NE(GetDlgItem(about, 104), nullptr);
  // Each text fits its control in the dialog's font.
  for (const int id : ids) {
    const HWND control = GetDlgItem(about, id);
    RECT box{};
    GetClientRect(control, &box);
    const HDC dc = GetDC(control);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    const std::string text = test::TextOf(control);
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    EXPECT_LE(extent.cx, box.right) << text;
  }
  DestroyWindow(about);
}

class Win32MainWindowTest : public testing::Test {
 protected:
  Win32MainWindowTest() : app(clock), main(800, 560, false) {
    SetStartValues(app);
    CreateMainWindow(app, main.Window());
  }
  HWND Hwnd() const { return main.Hwnd(); }

  test::FakeClock clock;
  AppContext app;
  Win32MainWindow main;
};

TEST_F(Win32MainWindowTest, IsClassZedi206WithItsCaptionMenuAndStatusBar) {
  char name[64] = {};
  GetClassNameA(Hwnd(), name, sizeof name);
  EXPECT_STREQ(name, "ZEDI206");
  EXPECT_EQ(test::TextOf(Hwnd()), "Norvalen PTP Diagnostics 1.00");
  EXPECT_EQ(GetWindowLongA(Hwnd(), GWL_STYLE) & WS_OVERLAPPEDWINDOW,
            static_cast<LONG>(WS_OVERLAPPEDWINDOW));
  EXPECT_NE(GetMenu(Hwnd()), nullptr);
  const HWND bar = main.StatusBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(GetDlgCtrlID(bar), 200);
  RECT client{};
  GetClientRect(Hwnd(), &client);
  EXPECT_EQ(client.right, 800);
  EXPECT_EQ(client.bottom, 560);
  EXPECT_EQ(main.GetClientRect(), (Rect{0, 0, 800, 560}));
}

// The usual window is sized by its client area, whatever the frames of this
// Windows version measure, so the drawing fits: the Raw Data row shows
// whole above the status bar.
TEST_F(Win32MainWindowTest, AtItsUsualSizeTheClientAreaIs800By560) {
  Win32MainWindow usual(800, 560, true);
  RECT client{};
  GetClientRect(usual.Hwnd(), &client);
  EXPECT_EQ(client.right, 800);
  EXPECT_EQ(client.bottom, 560);
  EXPECT_EQ(usual.Image().Width(), client.right);
  EXPECT_EQ(usual.Image().Height(), client.bottom);
}

TEST_F(Win32MainWindowTest, KeysAndMenuCommandsReachTheWindowProcedure) {
  SendMessageA(Hwnd(), WM_KEYDOWN, '1', 0);
  EXPECT_EQ(app.Window.ScreenNumber, 1);
  SendMessageA(Hwnd(), WM_COMMAND, 142, 0);
  EXPECT_EQ(app.Window.ScreenNumber, 2);
  SendMessageA(Hwnd(), WM_KEYDOWN, VK_NUMPAD3, 0);  // keypad digits only repaint
  EXPECT_EQ(app.Window.ScreenNumber, 2);
}

TEST_F(Win32MainWindowTest, OpeningAPopUpChecksRecordAndGreysCloseNetwork) {
  const HMENU menu = GetMenu(Hwnd());
  SendMessageA(Hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(menu, 1)), 1);
  EXPECT_NE(GetMenuState(menu, 131, MF_BYCOMMAND) & MF_GRAYED, 0U);
  EXPECT_EQ(GetMenuState(menu, 3090, MF_BYCOMMAND) & MF_CHECKED, 0U);
  test::TempFolder folder;
  main.FileAnswers.push_back(folder.File("r.cap"));
  SendMessageA(Hwnd(), WM_COMMAND, 3090, 0);
  app.Link.NetLinkMode = NetLink::Tcp;
  SendMessageA(Hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(menu, 0)), 0);
  EXPECT_NE(GetMenuState(menu, 3090, MF_BYCOMMAND) & MF_CHECKED, 0U);
  EXPECT_EQ(GetMenuState(menu, 131, MF_BYCOMMAND) & MF_GRAYED, 0U);
  app.Link.NetLinkMode = NetLink::None;
  SendMessageA(Hwnd(), WM_COMMAND, 3090, 0);  // ends the recording
}

TEST_F(Win32MainWindowTest, SavePictureWritesThePixelsAsShown) {
  test::TempFolder folder;
  SendMessageA(Hwnd(), WM_KEYDOWN, '2', 0);
  main.FileAnswers.push_back(folder.File("shown.png"));
  SendMessageA(Hwnd(), WM_COMMAND, 3092, 0);
  EXPECT_TRUE(main.MessageBoxes().empty());
  const std::string png = test::Contents(folder.File("shown.png"));
  EXPECT_EQ(png, EncodePng(main.Image().Width(), main.Image().Height(), main.Image().Rgb()));
}

TEST_F(Win32MainWindowTest, MenuHelpAndMouseCoordinatesShowInTheStatusBar) {
  SendMessageA(Hwnd(), WM_MENUSELECT, MAKEWPARAM(3076, MF_HILITE), 0);
  EXPECT_EQ(test::TextOf(main.StatusBar()), "Exit Razozade");
  SendMessageA(Hwnd(), WM_MENUSELECT, MAKEWPARAM(119, MF_HILITE), 0);
  EXPECT_EQ(test::TextOf(main.StatusBar()), "");
  SendMessageA(Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(120, 45));
  EXPECT_EQ(test::TextOf(main.StatusBar()), " 120, 45");
  // The menu closing reports identifier 0.
  SendMessageA(Hwnd(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(test::TextOf(main.StatusBar()), "");
}

TEST_F(Win32MainWindowTest, ResizingKeepsTheStatusBarAlongTheBottom) {
  RECT frame{0, 0, 640, 400};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, TRUE, 0);
  SetWindowPos(Hwnd(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER);
  RECT client{};
  GetClientRect(Hwnd(), &client);
  EXPECT_EQ(main.GetClientRect(), (Rect{0, 0, client.right, client.bottom}));
  EXPECT_EQ(main.Image().Width(), client.right);
  RECT bar{};
  GetWindowRect(main.StatusBar(), &bar);
  MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&bar), 2);
  EXPECT_EQ(bar.bottom, client.bottom);
  EXPECT_EQ(bar.right, client.right);
  EXPECT_GT(main.PaintCount(), 1);  // the class redraws after a resize
}

TEST_F(Win32MainWindowTest, CloseBoxClosesTheLinkAndEndsTheLoopWithZero) {
  main.StartTimer();
  PostMessageA(Hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(main.RunLoop(), 0);
  EXPECT_TRUE(main.QuitPosted());
  EXPECT_FALSE(IsWindowVisible(Hwnd()));
}

TEST_F(Win32MainWindowTest, EscEndsTheLoopAtOnce) {
  main.RunSoon([this] { SendMessageA(Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0); });
  EXPECT_EQ(main.RunLoop(), 0);
}

TEST_F(Win32MainWindowTest, ATextDialogOpensOverTheWindowAndHandsBackItsText) {
  test::WhenWindowOpens("New IP Address", [](HWND dialog) {
    const HWND edit = GetDlgItem(dialog, 100);
    SetWindowTextA(edit, "");
    test::PostText(edit, "192.0.2.7");
    test::PostKey(edit, VK_RETURN);
  });
  test::WhenWindowOpens("Port Address",
                        [](HWND dialog) { test::PostKey(GetDlgItem(dialog, 100), VK_ESCAPE); });
  app.Link.UdpPort = "4000";
  SendMessageA(Hwnd(), WM_COMMAND, 129, 0);
  EXPECT_EQ(app.Link.UdpAddress, "192.0.2.7");
  EXPECT_EQ(app.Link.UdpPort, "4000");  // the second dialog was cancelled
}

TEST_F(Win32MainWindowTest, ChoosingAPortInTheListEndsTheDialog) {
  test::WhenWindowOpens("Select Comm Port", [](HWND dialog) {
    const HWND list = GetDlgItem(dialog, 5555);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);  // Com1 selected at first
    SendMessageA(list, LB_SETCURSEL, 4, 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(5555, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  });
  SendMessageA(Hwnd(), WM_COMMAND, 119, 0);
  EXPECT_EQ(app.Link.CommPortName, "Com5");
}

// WM_TIMER comes only when nothing else is queued: a flood of socket
// notifications, one always waiting, must not stop the poll cycle.
TEST(Win32LoopWindowTest, AFloodOfNotificationsDoesNotStarveTheTimer) {
  std::ostringstream messages;
  Win32EventWindow window(100, 100, messages);
  int ticks = 0;
  int notifications = 0;
  const HWND hwnd = window.Hwnd();
  window.Window().SetProcedure(
      [&](PlatformWindow* target, std::uint32_t message, WPARAM, LPARAM) -> LRESULT {
        if (message == WM_TIMER) ++ticks;
        if (message == WM_NETWORK_NOTIFY) {
          ++notifications;
          PostMessageA(hwnd, WM_NETWORK_NOTIFY, 0, 0);  // as WSAAsyncSelect re-posts
        }
        if (message == WM_CLOSE) target->PostQuitMessage(0);
        return 0;
      });
  window.StartTimer();
  window.RunAfter(1100, [&window] { window.Close(); });
  PostMessageA(hwnd, WM_NETWORK_NOTIFY, 0, 0);
  window.RunLoop();
  EXPECT_GT(notifications, 100);
  EXPECT_GE(ticks, 3);
  EXPECT_LE(ticks, 5);  // made-up ticks do not add to timer 1's own
  EXPECT_GE(window.Stats().Ticks, 3);
}

TEST(Win32LoopWindowTest, WorkPostedFromAnotherThreadRunsInTheLoop) {
  std::ostringstream messages;
  Win32EventWindow window(100, 100, messages);
  const DWORD loopThread = GetCurrentThreadId();
  std::atomic<DWORD> ranOn{0};
  std::thread other([&] {
    window.RunSoon([&] {
      ranOn = GetCurrentThreadId();
      window.PostQuitMessage(7);
    });
  });
  other.join();
  EXPECT_EQ(window.RunLoop(), 7);
  EXPECT_EQ(ranOn.load(), loopThread);
}

TEST(Win32LoopWindowTest, MessageBoxesOfTheHeadlessWindowGoToItsStream) {
  std::ostringstream messages;
  Win32EventWindow window(100, 100, messages);
  window.MessageBox("Could not open comm port!", "Error!", "COM3 does not exist.");
  EXPECT_EQ(messages.str(),
            "ptpdiag: Error!: Could not open comm port!\nptpdiag: COM3 does not exist.\n");
}

}  // namespace
}  // namespace ptpdiag
