// A serial port that takes everything its device holds in one read per
// Collect and serves the queue count and reads from what it took: a tick
// costs a few system calls rather than one per byte, and handles at most
// what was waiting when it began.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/serial_port.h"

namespace ptpdiag {

class QueuedSerialPort : public SerialPort {
 public:
  void Collect() final;
  // What the last Collect took and is not read yet; a device gone stays
  // reported (Count 0) until a Collect finds it back, a failed read once.
  QueueStatus Queued() final;
  // From what was collected; with nothing collected, from the device.
  ReadResult Read(std::int32_t count) final;

 protected:
  // The device's own receive queue and a read of what it holds; per OS.
  virtual QueueStatus DeviceQueued() = 0;
  virtual ReadResult DeviceRead(std::int32_t count) = 0;
  // After the device is closed: what was collected is dropped and every
  // query reports `error`.
  void ForgetQueue(const LinkError& error);

 private:
  std::size_t Held() const { return bytes_.size() - head_; }
  void Compact();

  std::string bytes_;
  std::size_t head_ = 0;  // the next byte to serve
  std::optional<LinkError> lasting_;  // device gone or closed
  std::optional<LinkError> once_;     // a failed read, told once
};

}  // namespace ptpdiag
