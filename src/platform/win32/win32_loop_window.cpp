#include "platform/win32/win32_loop_window.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <utility>

#include <shellapi.h>

#include "platform/png_file.h"
#include "platform/win32/file_prompts.h"
#include "platform/win32/win32_dialog_host.h"
#include "resources/string_table.h"

namespace ptpdiag {
namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT_PTR kLaterTimer = 2;
constexpr UINT kRunSoon = WM_APP + 1;
constexpr int kStatusBarId = 200;
// Status-bar style bit 16, passed on as the window has always had it.
constexpr DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | 16;
constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW;
constexpr std::chrono::milliseconds kTickPeriod{kTimerMs};

}  // namespace

HINSTANCE ProgramInstance() {
  return GetModuleHandleA(nullptr);
}

Win32LoopWindow::Win32LoopWindow(int clientWidth, int clientHeight)
    : BackedWindow(clientWidth, clientHeight, nullptr),
      image_(clientWidth, clientHeight),
      canvas_(image_.Dc()) {
  SetCanvas(&canvas_);
}

Win32LoopWindow::~Win32LoopWindow() {
  if (hwnd_ == nullptr) return;
  // Nothing reaches this object once it is going.
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  DestroyWindow(hwnd_);
}

void Win32LoopWindow::Create(const char* className, UINT classStyle, const char* caption,
                             DWORD style, int width, int height, HWND parent, HMENU menu) {
  const HINSTANCE instance = ProgramInstance();
  WNDCLASSEXA known{};
  known.cbSize = sizeof known;
  if (GetClassInfoExA(instance, className, &known) == 0) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = classStyle;
    windowClass.lpfnWndProc = &Win32LoopWindow::Procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "PROGRAM");
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = className;
    RegisterClassExA(&windowClass);
  }
  CreateWindowExA(0, className, caption, style, CW_USEDEFAULT, CW_USEDEFAULT, width, height, parent,
                  menu, instance, this);
}

LRESULT CALLBACK Win32LoopWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<Win32LoopWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32LoopWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  return self->OnMessage(message, wParam, lParam);
}

LRESULT Win32LoopWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kPollTimer) {
        Tick(true);
        return 0;
      }
      if (wParam == kLaterTimer) {
        RunLater();
        return 0;
      }
      break;
    case WM_NETWORK_NOTIFY:
      // WM_TIMER only comes when the queue is otherwise empty, which a
      // flood of datagrams never lets happen.
      RunOverdueTimers();
      return Deliver(message, wParam, lParam);
    case kRunSoon:
      RunPostedWork();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT Win32LoopWindow::Deliver(UINT message, WPARAM wParam, LPARAM lParam) {
  if (QuitPosted()) return 0;
  return Send(message, wParam, lParam);
}

void Win32LoopWindow::StartTimer() {
  SetTimer(hwnd_, kPollTimer, kTimerMs, nullptr);
  timerRunning_ = true;
  lastTick_ = std::chrono::steady_clock::now();
}

void Win32LoopWindow::RunAfter(std::int64_t ms, std::function<void()> work) {
  const auto bounded =
      static_cast<UINT>(std::clamp<std::int64_t>(ms, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM));
  later_ = std::move(work);
  SetTimer(hwnd_, kLaterTimer, bounded, nullptr);
  laterAt_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(bounded);
}

void Win32LoopWindow::RunLater() {
  KillTimer(hwnd_, kLaterTimer);
  laterAt_.reset();
  const std::function<void()> work = std::exchange(later_, nullptr);
  if (work && !QuitPosted()) work();
}

void Win32LoopWindow::Close() {
  Deliver(WM_CLOSE, 0, 0);
}

void Win32LoopWindow::RunSoon(std::function<void()> work) {
  {
    const std::lock_guard lock(soonMutex_);
    soon_.push_back(std::move(work));
  }
  PostMessageA(hwnd_, kRunSoon, 0, 0);
}

void Win32LoopWindow::RunPostedWork() {
  for (;;) {
    std::function<void()> work;
    {
      const std::lock_guard lock(soonMutex_);
      if (soon_.empty()) return;
      work = std::move(soon_.front());
      soon_.pop_front();
    }
    work();
  }
}

int Win32LoopWindow::RunLoop() {
  MSG msg{};
  // Ends at WM_QUIT (0) or a failure (-1).
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return ExitCode();
}

void Win32LoopWindow::PostQuitMessage(int exitCode) {
  if (QuitPosted()) return;
  BackedWindow::PostQuitMessage(exitCode);
  KillTimer(hwnd_, kPollTimer);
  KillTimer(hwnd_, kLaterTimer);
  timerRunning_ = false;
  laterAt_.reset();
  ::PostQuitMessage(exitCode);
}

void Win32LoopWindow::Tick(bool fromTimer) {
  const auto now = std::chrono::steady_clock::now();
  // Timer 1's own message soon after a made-up tick would double the pace.
  if (fromTimer && now - lastTick_ < kTickPeriod / 2) return;
  lastTick_ = now;
  meter_.Tick();
  if (tickHooks_.Before) tickHooks_.Before();
  Deliver(WM_TIMER, kPollTimer, 0);
  if (tickHooks_.After && !QuitPosted()) tickHooks_.After();
}

void Win32LoopWindow::RunOverdueTimers() {
  const auto now = std::chrono::steady_clock::now();
  if (timerRunning_ && now - lastTick_ >= kTickPeriod) Tick(false);
  if (laterAt_ && now >= *laterAt_) RunLater();
}

void Win32LoopWindow::OnWatchChanged(std::intptr_t socket, std::uint32_t message) {
  WSAAsyncSelect(static_cast<SOCKET>(socket), hwnd_, message, message != 0 ? FD_READ : 0);
}

Win32EventWindow::Win32EventWindow(int clientWidth, int clientHeight, std::ostream& messages)
    : Win32LoopWindow(clientWidth, clientHeight) {
  SetMessageSink(&messages);
  Create("ptpdiag.events", 0, "", 0, 0, 0, HWND_MESSAGE, nullptr);
}

Win32MainWindow::Win32MainWindow(int clientWidth, int clientHeight, bool /*outerSize*/)
    : Win32LoopWindow(clientWidth, clientHeight) {
  InitCommonControls();
  dpi_ = SystemDpi();
  const auto device = [this](int logical) {
    return static_cast<int>(std::lround(logical * Scale()));
  };
  const SIZE outer = OuterSizeForClient(device(clientWidth), device(clientHeight), kMainStyle, dpi_);
  Create("ZEDI206", CS_VREDRAW | CS_HREDRAW, std::string(kProgramCaption).c_str(), kMainStyle,
         outer.cx, outer.cy, nullptr, LoadMenuA(ProgramInstance(), "MAINMENU"));
  statusBar_ = CreateStatusWindowA(kStatusBarStyle, "", Hwnd(), kStatusBarId);
  // Opened on a screen of another density than the system's.
  if (const UINT dpi = WindowDpi(Hwnd()); dpi != dpi_) {
    dpi_ = dpi;
    const SIZE resized =
        OuterSizeForClient(device(clientWidth), device(clientHeight), kMainStyle, dpi_);
    SetWindowPos(Hwnd(), nullptr, 0, 0, resized.cx, resized.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT client{};
  ::GetClientRect(Hwnd(), &client);
  Resized(client.right, client.bottom);
  dialogs_ = std::make_unique<Win32DialogHost>(ProgramInstance(), Hwnd());
  SetDialogHost(dialogs_.get());
}

Win32MainWindow::~Win32MainWindow() {
  SetDialogHost(nullptr);
}

void Win32MainWindow::Show() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const int show =
      (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
  ShowWindow(Hwnd(), show);
  ::UpdateWindow(Hwnd());
}

LRESULT Win32MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      PaintFromImage();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the backing image covers everything
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) Resized(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_DPICHANGED:
      DensityChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      return Deliver(message, wParam, LogicalPoint(lParam));
    case WM_KEYDOWN:
    case WM_COMMAND:
    case WM_INITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_NOTIFY:
      return Deliver(message, wParam, lParam);
    case WM_CLOSE:
      // The close box and Alt+F4: the window procedure closes the link and
      // posts the quit; the window goes when the loop has ended.
      Close();
      if (QuitPosted()) ShowWindow(Hwnd(), SW_HIDE);
      return 0;
    default:
      return Win32LoopWindow::OnMessage(message, wParam, lParam);
  }
}

int Win32MainWindow::Logical(int device) const {
  return static_cast<int>(std::lround(device / Scale()));
}

LPARAM Win32MainWindow::LogicalPoint(LPARAM devicePoint) const {
  const int x = static_cast<short>(LOWORD(devicePoint));
  const int y = static_cast<short>(HIWORD(devicePoint));
  return MakeLParam(static_cast<std::uint32_t>(std::max(0, Logical(x))),
                    static_cast<std::uint32_t>(std::max(0, Logical(y))));
}

void Win32MainWindow::DensityChanged(UINT dpi, const RECT& suggested) {
  dpi_ = dpi != 0 ? dpi : kBaseDpi;
  SetWindowPos(Hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client{};
  ::GetClientRect(Hwnd(), &client);
  Resized(client.right, client.bottom);
}

void Win32MainWindow::Resized(int deviceWidth, int deviceHeight) {
  if (deviceWidth <= 0 || deviceHeight <= 0) return;
  if (statusBar_ != nullptr) SendMessageA(statusBar_, WM_SIZE, 0, 0);
  LayOutStatusParts();
  const int width = Logical(deviceWidth);
  const int height = Logical(deviceHeight);
  if (deviceWidth == Image().Width() && deviceHeight == Image().Height() &&
      GetClientRect().Width() == width && GetClientRect().Height() == height &&
      imageScale_ == Scale()) {
    return;
  }
  Image().Resize(deviceWidth, deviceHeight);
  Canvas().SetScale(Scale());
  imageScale_ = Scale();
  SetClientSize(width, height);
  Deliver(WM_SIZE, SIZE_RESTORED,
          MakeLParam(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)));
  // The class redraws the whole window after every resize.
  InvalidateRect(GetClientRect(), true);
  UpdateWindow();
}

void Win32MainWindow::PaintFromImage() {
  PAINTSTRUCT paint{};
  const HDC dc = ::BeginPaint(Hwnd(), &paint);
  if (statusBar_ != nullptr && IsWindowVisible(statusBar_)) {
    RECT bar{};
    GetWindowRect(statusBar_, &bar);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&bar), 2);
    ExcludeClipRect(dc, bar.left, bar.top, bar.right, bar.bottom);
  }
  BitBlt(dc, 0, 0, Image().Width(), Image().Height(), Image().Dc(), 0, 0, SRCCOPY);
  ::EndPaint(Hwnd(), &paint);
}

void Win32MainWindow::OnRepainted() {
  ::InvalidateRect(Hwnd(), nullptr, FALSE);
}

void Win32MainWindow::OnStatusText(std::string_view text) {
  if (statusBar_ == nullptr) return;
  const std::string zeroEnded(text);
  SendMessageA(statusBar_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(zeroEnded.c_str()));
}

void Win32MainWindow::LayOutStatusParts() {
  if (statusBar_ == nullptr) return;
  RECT bar{};
  ::GetClientRect(statusBar_, &bar);
  // The note's part fits its text, at most half the bar.
  const int noteWidth =
      statusNote_.empty()
          ? 0
          : std::min<int>(bar.right / 2, 16 + 8 * static_cast<int>(statusNote_.size()));
  const int edges[2] = {bar.right - noteWidth, -1};
  SendMessageA(statusBar_, SB_SETPARTS, statusNote_.empty() ? 1 : 2,
               reinterpret_cast<LPARAM>(statusNote_.empty() ? &edges[1] : edges));
  if (!statusNote_.empty()) {
    SendMessageA(statusBar_, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(statusNote_.c_str()));
  }
}

void Win32MainWindow::OnStatusNote(std::string_view text) {
  statusNote_.assign(text);
  LayOutStatusParts();
}

bool Win32MainWindow::OnAskYesNo(const MessageBoxRecord& question) {
  if (!YesNoAnswers.empty()) return BackedWindow::OnAskYesNo(question);
  return MessageBoxA(Hwnd(), question.Text.c_str(), question.Caption.c_str(),
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

// Modal over the main window; timer ticks go on in the message box's loop.
void Win32MainWindow::OnMessageBox(const MessageBoxRecord& box) {
  const std::string text = box.Detail.empty() ? box.Text : box.Text + "\n\n" + box.Detail;
  MessageBoxA(Hwnd(), text.c_str(), box.Caption.c_str(), MB_OK);
}

std::optional<std::string> Win32MainWindow::OnAskPath(const FilePrompt& prompt, bool save) {
  if (!FileAnswers.empty()) return BackedWindow::OnAskPath(prompt, save);
  return save ? AskSaveFileName(Hwnd(), prompt) : AskOpenFileName(Hwnd(), prompt);
}

void Win32MainWindow::OnMenuItemState(std::uint32_t id, bool enabled, bool checked) {
  const HMENU menu = GetMenu(Hwnd());
  if (menu == nullptr) return;
  ::CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  ::EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

// guide\index.html beside the program, as the zip and the installer put it.
std::optional<std::string> Win32MainWindow::OnOpenUserGuide() {
  char program[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
  std::string guide(program, length);
  guide = guide.substr(0, guide.find_last_of("\\/") + 1) + "guide\\index.html";
  if (GetFileAttributesA(guide.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return "it is not installed at " + guide;
  }
  const auto opened = reinterpret_cast<INT_PTR>(
      ShellExecuteA(Hwnd(), "open", guide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (opened <= 32) return "no web browser opened " + guide;
  return std::nullopt;
}

std::optional<std::string> Win32MainWindow::OnSavePicture(const std::string& path) {
  return WritePngFile(path, Image().Width(), Image().Height(), Image().Rgb());
}

}  // namespace ptpdiag
