#include "win32_test_support.h"

#include <chrono>
#include <vector>

namespace ptpdiag::test {
namespace {

struct Waiting {
  std::string Caption;
  std::function<void(HWND)> Act;
  std::chrono::steady_clock::time_point GiveUp;
  UINT_PTR Timer = 0;
};

std::vector<Waiting>& AllWaiting() {
  static std::vector<Waiting> waiting;
  return waiting;
}

void CALLBACK LookForWindows(HWND, UINT, UINT_PTR timer, DWORD) {
  auto& all = AllWaiting();
  for (auto it = all.begin(); it != all.end(); ++it) {
    if (it->Timer != timer) continue;
    const HWND found = FindWindowA(nullptr, it->Caption.c_str());
    if (found == nullptr && std::chrono::steady_clock::now() < it->GiveUp) return;
    KillTimer(nullptr, timer);
    const std::function<void(HWND)> act = std::move(it->Act);
    all.erase(it);
    if (found != nullptr) act(found);
    return;
  }
}

}  // namespace

void WhenWindowOpens(const std::string& caption, std::function<void(HWND)> act) {
  Waiting waiting{caption, std::move(act),
                  std::chrono::steady_clock::now() + std::chrono::seconds(10), 0};
  waiting.Timer = SetTimer(nullptr, 0, 20, &LookForWindows);
  AllWaiting().push_back(std::move(waiting));
}

void PostKey(HWND window, WPARAM virtualKey) {
  PostMessageA(window, WM_KEYDOWN, virtualKey, 1);
  PostMessageA(window, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001));
}

void PostText(HWND window, const std::string& text) {
  for (const char c : text) {
    PostMessageA(window, WM_CHAR, static_cast<unsigned char>(c), 1);
  }
}

std::string TextOf(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
  return text;
}

}  // namespace ptpdiag::test
