#include "fd_sink.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ptpdiag::sim {
namespace {

bool IsSocket(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISSOCK(info.st_mode);
}

}  // namespace

long WriteNoWait(int fd, bool socket, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t left = bytes.size() - done;
    const ssize_t n = socket ? ::send(fd, bytes.data() + done, left, MSG_NOSIGNAL | MSG_DONTWAIT)
                             : ::write(fd, bytes.data() + done, left);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      return done > 0 ? static_cast<long>(done) : -1;
    } else {
      break;  // full
    }
  }
  return static_cast<long>(done);
}

FdSink::FdSink(int fd) : fd_(fd), socket_(IsSocket(fd)) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

WriteCounts FdSink::Write(std::span<const std::uint8_t> bytes) {
  const long written = WriteNoWait(fd_, socket_, bytes);
  const auto sent = written > 0 ? static_cast<std::int64_t>(written) : 0;
  return {sent, static_cast<std::int64_t>(bytes.size()) - sent};
}

}  // namespace ptpdiag::sim
