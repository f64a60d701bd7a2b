#include "platform/queued_serial_port.h"

#include <algorithm>
#include <utility>

namespace ptpdiag {

void QueuedSerialPort::Collect() {
  if (lasting_ && lasting_->Code != kErrSerialGone) return;  // closed
  lasting_.reset();
  const QueueStatus device = DeviceQueued();
  if (device.Error) {
    if (device.Error->Code == kErrSerialGone) {
      // Gone means gone: what was taken but not read goes with it.
      bytes_.clear();
      head_ = 0;
      lasting_ = device.Error;
    } else {
      once_ = device.Error;
    }
    return;
  }
  if (device.Count <= 0) return;
  Compact();
  ReadResult got = DeviceRead(device.Count);
  bytes_ += got.Bytes;
  if (got.Error) once_ = got.Error;
}

QueueStatus QueuedSerialPort::Queued() {
  if (lasting_) return {0, lasting_};
  QueueStatus status{static_cast<std::int32_t>(Held()), std::nullopt};
  status.Error = std::exchange(once_, std::nullopt);
  return status;
}

ReadResult QueuedSerialPort::Read(std::int32_t count) {
  if (count <= 0) return {};
  if (Held() == 0) return DeviceRead(count);
  const std::size_t n = std::min(Held(), static_cast<std::size_t>(count));
  ReadResult result;
  result.Bytes = bytes_.substr(head_, n);
  head_ += n;
  return result;
}

void QueuedSerialPort::ForgetQueue(const LinkError& error) {
  bytes_.clear();
  head_ = 0;
  once_.reset();
  lasting_ = error;
}

void QueuedSerialPort::Compact() {
  bytes_.erase(0, head_);
  head_ = 0;
}

}  // namespace ptpdiag
