// A live output that serves a listening TCP socket: one client at a time
// gets the stream; with no client the bytes are dropped.
#pragma once

#include <memory>

#include "platform/network.h"
#include "sim/byte_sink.h"

namespace ptpdiag::sim {

class TcpClientSink : public ByteSink {
 public:
  // `listener` stays the caller's and must outlive the sink.
  explicit TcpClientSink(TcpListener& listener) : listener_(listener) {}

  // Takes the next waiting client first when none is connected, and lets a
  // client go once it has closed or failed.
  WriteCounts Write(std::span<const std::uint8_t> bytes) override;

  bool HasClient() const { return client_ != nullptr; }

 private:
  TcpListener& listener_;
  std::unique_ptr<TcpStream> client_;
};

}  // namespace ptpdiag::sim
