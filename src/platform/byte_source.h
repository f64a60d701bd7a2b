// A replayed capture as the poll cycle reads it when no link is open.
#pragma once

#include <cstdint>

#include "platform/serial_port.h"

namespace ptpdiag {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Bytes queued and ready to read now.
  virtual std::int32_t BytesAvailable() = 0;
  virtual ReadResult Read(std::int32_t count) = 0;
};

}  // namespace ptpdiag
