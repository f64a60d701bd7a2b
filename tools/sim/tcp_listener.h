// A listening TCP socket for the simulator's TCP output.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "sim/host_port.h"
#include "sim/unique_fd.h"

namespace ptpdiag::sim {

class TcpListener {
 public:
  // Listens on `address` (port 0: a free port the system picks). Nothing,
  // with `error` saying why, when that is not possible.
  static std::optional<TcpListener> Open(const HostPort& address, std::string& error);

  int Fd() const { return fd_.Get(); }
  // The address listened on, with the real port.
  const HostPort& Address() const { return address_; }

 private:
  TcpListener(UniqueFd fd, HostPort address) : fd_(std::move(fd)), address_(std::move(address)) {}

  UniqueFd fd_;
  HostPort address_;
};

}  // namespace ptpdiag::sim
