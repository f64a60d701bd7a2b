// A pseudo-terminal standing in for the radio's serial port: the simulator
// writes the master, the program under test opens the slave.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "unique_fd.h"

namespace ptpdiag::sim {

class PtyMaster {
 public:
  // A new pseudo-terminal whose slave side is raw (every byte passes
  // unchanged, no echo). Nothing, with `error` saying why, when the system
  // refuses one.
  static std::optional<PtyMaster> Open(std::string& error);

  int Fd() const { return fd_.Get(); }
  // "/dev/pts/N".
  const std::string& SlavePath() const { return slavePath_; }

 private:
  PtyMaster(UniqueFd fd, std::string slavePath)
      : fd_(std::move(fd)), slavePath_(std::move(slavePath)) {}

  UniqueFd fd_;
  std::string slavePath_;
};

}  // namespace ptpdiag::sim
