#include "platform/os/port_holders.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace ptpdiag {
namespace {

namespace fs = std::filesystem;

// A process directory's name is its number.
bool IsProcessDirectory(const fs::path& path) {
  const std::string name = path.filename().string();
  return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

bool HasOpen(const fs::path& process, const std::string& device) {
  std::error_code error;
  for (const fs::directory_entry& fd : fs::directory_iterator(process / "fd", error)) {
    std::error_code unreadable;
    if (fs::read_symlink(fd.path(), unreadable) == device && !unreadable) return true;
  }
  return false;
}

std::string ProgramName(const fs::path& process) {
  std::ifstream comm(process / "comm");
  std::string name;
  std::getline(comm, name);
  return name.empty() ? "a program" : name;
}

std::string Holder(const fs::path& process) {
  return ProgramName(process) + " (process " + process.filename().string() + ")";
}

// The processes holding a lock on `device` (/proc/locks names them by the
// file's device and inode: "1: FLOCK ADVISORY WRITE 2251 00:1a:8 0 EOF").
std::vector<std::string> LockHolders(const std::string& device) {
  struct stat node {};
  if (stat(device.c_str(), &node) != 0) return {};
  char key[64];
  std::snprintf(key, sizeof key, "%02x:%02x:%llu", major(node.st_dev), minor(node.st_dev),
                static_cast<unsigned long long>(node.st_ino));
  std::vector<std::string> holders;
  std::ifstream locks("/proc/locks");
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream fields(line);
    std::string number, kind, mode, access, pid, file;
    if (fields >> number >> kind >> mode >> access >> pid >> file && file == key) {
      holders.push_back(Holder(fs::path("/proc") / pid));
    }
  }
  return holders;
}

}  // namespace

std::vector<std::string> PortHolders(const std::string& device) {
  // The lock's owner is who keeps the port; others may only have it open.
  if (std::vector<std::string> locking = LockHolders(device); !locking.empty()) return locking;
  std::vector<std::string> holders;
  const std::string self = std::to_string(getpid());
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
    const fs::path& process = entry.path();
    if (!IsProcessDirectory(process) || process.filename() == self) continue;
    if (HasOpen(process, device)) holders.push_back(Holder(process));
  }
  return holders;
}

std::string PortHoldersText(const std::string& device) {
  const std::vector<std::string> holders = PortHolders(device);
  std::string text;
  for (std::size_t i = 0; i < holders.size(); ++i) {
    if (i > 0) text += i + 1 == holders.size() ? " and " : ", ";
    text += holders[i];
  }
  return text;
}

}  // namespace ptpdiag
