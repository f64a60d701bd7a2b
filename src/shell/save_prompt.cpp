#include "shell/save_prompt.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "state/app_context.h"

namespace ptpdiag {
namespace {

std::vector<std::string> Existing(const std::vector<std::string>& paths) {
  std::vector<std::string> existing;
  for (const std::string& path : paths) {
    std::error_code error;
    if (std::filesystem::exists(path, error)) existing.push_back(path);
  }
  return existing;
}

std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace

std::string DefaultSaveName(const AppContext& app, std::string_view extension) {
  const LocalDateTime t = app.SystemClock.LocalNow();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", t.Year % 10000, t.Month % 100,
                t.Day % 100, t.Hour % 100, t.Minute % 100, t.Second % 100);
  return "ptpdiag-" + std::string(stamp) + "." + std::string(extension);
}

std::string ReplaceQuestion(const std::vector<std::string>& existing) {
  std::string names;
  for (std::size_t i = 0; i < existing.size(); ++i) {
    if (i > 0) names += i + 1 == existing.size() ? " and " : ", ";
    names += FileName(existing[i]);
  }
  return existing.size() == 1 ? names + " already exists. Replace it?"
                              : names + " already exist. Replace them?";
}

std::optional<std::string> AskSaveTarget(AppContext& app, FilePrompt prompt,
                                         const FilesOfSave& filesOf) {
  PlatformWindow* window = app.Window.CurrentWindow;
  for (;;) {
    const std::optional<std::string> path = window->AskSavePath(prompt);
    if (!path) return std::nullopt;
    const std::vector<std::string> existing = Existing(filesOf(*path));
    if (existing.empty() || window->AskYesNo(ReplaceQuestion(existing), prompt.Title)) return path;
    prompt.FileName = *path;  // asked again where the user was
  }
}

}  // namespace ptpdiag
