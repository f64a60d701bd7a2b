// The Open and Save prompts of radio files: GetOpenFileNameA and
// GetSaveFileNameA.
#pragma once

#include <optional>
#include <string>

#include "platform/file_prompt.h"
#include "platform/win32/windows_api.h"

namespace ptpdiag {

// The full path chosen, or nothing when cancelled. The filter's '|' become
// NULs; an empty initial folder is the process's current folder.
std::optional<std::string> AskOpenFileName(HWND owner, const FilePrompt& prompt);
// The same, without asking before replacing an existing file.
std::optional<std::string> AskSaveFileName(HWND owner, const FilePrompt& prompt);

// "Radio Files|*.RAD|All Files|*.*" as the dialogs want it: NUL-separated,
// with one more NUL at the end.
std::string DialogFilter(const std::string& filter);

}  // namespace ptpdiag
