// Files that must survive a power loss, not only a crash: what was written
// is forced onto the disk before a rename makes it the file, and the
// rename itself is made durable.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace ptpdiag {

// Forces what was written to `file` onto the disk; false, with errno set,
// when the system could not.
[[nodiscard]] bool SyncToDisk(std::FILE* file);

// Renames `from` over `to`, durably: the folder is flushed after the
// rename (POSIX), the move is written through (Windows). The system's
// words when it failed.
[[nodiscard]] std::optional<std::string> ReplaceDurably(const std::string& from, const std::string& to);

}  // namespace ptpdiag
