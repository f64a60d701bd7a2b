#include "platform/win32/file_prompts.h"

#include <vector>

namespace ptpdiag {
namespace {

constexpr std::size_t kOpenNameChars = 8192;
constexpr std::size_t kSaveNameChars = 260;
constexpr std::size_t kTitleChars = 260;

std::optional<std::string> Ask(HWND owner, const FilePrompt& prompt, bool save) {
  const std::string filter = DialogFilter(prompt.Filter);
  std::vector<char> name(save ? kSaveNameChars : kOpenNameChars, '\0');
  // A longer name is cut to fit before the dialog opens.
  prompt.FileName.copy(name.data(), std::min(prompt.FileName.size(), name.size() - 1));
  std::vector<char> title(kTitleChars, '\0');
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrFileTitle = title.data();
  dialog.nMaxFileTitle = static_cast<DWORD>(title.size());
  dialog.lpstrInitialDir = prompt.InitialDir.empty() ? nullptr : prompt.InitialDir.c_str();
  dialog.lpstrTitle = prompt.Title.empty() ? nullptr : prompt.Title.c_str();
  dialog.lpstrDefExt = prompt.DefaultExtension.empty() ? nullptr : prompt.DefaultExtension.c_str();
  dialog.Flags = OFN_HIDEREADONLY | OFN_LONGNAMES | (save ? 0 : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
  if (chosen == 0) return std::nullopt;
  return std::string(name.data());
}

}  // namespace

std::string DialogFilter(const std::string& filter) {
  std::string out = filter;
  for (char& c : out) {
    if (c == '|') c = '\0';
  }
  out += '\0';
  return out;
}

std::optional<std::string> AskOpenFileName(HWND owner, const FilePrompt& prompt) {
  return Ask(owner, prompt, false);
}

std::optional<std::string> AskSaveFileName(HWND owner, const FilePrompt& prompt) {
  return Ask(owner, prompt, true);
}

}  // namespace ptpdiag
