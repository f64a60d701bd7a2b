// Durable files on POSIX systems: fsync, and the folder flushed after a
// rename.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/durable_file.h"

namespace ptpdiag {

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

}  // namespace ptpdiag
