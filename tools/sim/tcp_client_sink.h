// A live output that serves a listening TCP socket: one client at a time
// gets the stream; with no client the bytes are dropped.
#pragma once

#include "sim/byte_sink.h"
#include "sim/unique_fd.h"

namespace ptpdiag::sim {

class TcpClientSink : public ByteSink {
 public:
  // `listenFd` is a listening socket that stays the caller's and must
  // outlive the sink; it is switched to non-blocking mode.
  explicit TcpClientSink(int listenFd);

  // Takes the next waiting client first when none is connected, and lets a
  // client go once it has closed or failed.
  WriteCounts Write(std::span<const std::uint8_t> bytes) override;

  bool HasClient() const { return client_.Valid(); }

 private:
  void AcceptClient();
  bool ClientClosed();

  int listenFd_;
  UniqueFd client_;
};

}  // namespace ptpdiag::sim
