// How every save of a session's output asks for its name: a default name
// that carries the date and time, and a name whose files already exist is
// replaced only when the user says so (otherwise the prompt comes again).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_prompt.h"

namespace ptpdiag {

struct AppContext;

// "ptpdiag-20261209-143012.EXTENSION" from the clock's local time.
std::string DefaultSaveName(const AppContext& app, std::string_view extension);

// The files a save under `path` writes.
using FilesOfSave = std::function<std::vector<std::string>(const std::string& path)>;

// The path the user chose; nothing when cancelled.
std::optional<std::string> AskSaveTarget(AppContext& app, FilePrompt prompt,
                                         const FilesOfSave& filesOf);

// The question for files that exist: "a.csv already exists. Replace it?".
std::string ReplaceQuestion(const std::vector<std::string>& existing);

}  // namespace ptpdiag
