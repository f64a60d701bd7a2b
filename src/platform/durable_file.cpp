#include "platform/durable_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace ptpdiag {

#ifdef _WIN32

bool SyncToDisk(std::FILE* file) {
  return _commit(_fileno(file)) == 0;
}

std::optional<std::string> ReplaceDurably(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return std::nullopt;
  }
  return std::system_category().message(static_cast<int>(GetLastError()));
}

#else

bool SyncToDisk(std::FILE* file) {
  return ::fsync(::fileno(file)) == 0;
}

std::optional<std::string> ReplaceDurably(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return std::strerror(errno);
  // The rename is an entry of the folder: durable once the folder is.
  std::string folder = std::filesystem::path(to).parent_path().string();
  if (folder.empty()) folder = ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  return std::nullopt;
}

#endif

}  // namespace ptpdiag
