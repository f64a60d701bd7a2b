#include "pty_master.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace ptpdiag::sim {

std::optional<PtyMaster> PtyMaster::Open(std::string& error) {
  UniqueFd fd(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
  std::array<char, 128> name{};
  termios settings{};
  // On the master, the terminal settings are the slave side's: raw there
  // means the line discipline neither translates nor echoes the frames.
  const bool ready = fd.Valid() && ::grantpt(fd.Get()) == 0 && ::unlockpt(fd.Get()) == 0 &&
                     ::ptsname_r(fd.Get(), name.data(), name.size()) == 0 &&
                     ::tcgetattr(fd.Get(), &settings) == 0;
  if (ready) {
    ::cfmakeraw(&settings);
    if (::tcsetattr(fd.Get(), TCSANOW, &settings) == 0)
      return PtyMaster(std::move(fd), std::string(name.data()));
  }
  error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
  return std::nullopt;
}

}  // namespace ptpdiag::sim
