// A live output to a byte stream that is already open: a pseudo-terminal
// master or a connected socket.
#pragma once

#include "sim/byte_sink.h"

namespace ptpdiag::sim {

class FdSink : public ByteSink {
 public:
  // `fd` stays the caller's and must outlive the sink. It is switched to
  // non-blocking mode.
  explicit FdSink(int fd);

  WriteCounts Write(std::span<const std::uint8_t> bytes) override;

 private:
  int fd_;
  bool socket_;  // sockets are written with send(), which can refuse SIGPIPE
};

// Writes what the stream `fd` takes now without waiting; on a socket never
// raises SIGPIPE. Returns the bytes written, or -1 with errno set when the
// stream failed (EAGAIN when it is full counts as 0 written).
long WriteNoWait(int fd, bool socket, std::span<const std::uint8_t> bytes);

}  // namespace ptpdiag::sim
