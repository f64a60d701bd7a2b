// Durable files on Windows: _commit, and a move written through.
#include <io.h>

#include <system_error>

#include "platform/durable_file.h"
#include "platform/win32/windows_api.h"

namespace ptpdiag {

bool SyncToDisk(std::FILE* file) {
  return _commit(_fileno(file)) == 0;
}

std::optional<std::string> ReplaceDurably(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return std::nullopt;
  }
  return std::system_category().message(static_cast<int>(GetLastError()));
}

}  // namespace ptpdiag
