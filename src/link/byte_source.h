// Where the poll cycle takes its bytes from when no ring-fed network link is
// active: the serial port driver, or a replayed capture.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ptpdiag {

// A failed read: a fixed nonzero code per kind of failure and the
// failure's secondary code (0 when there is none).
struct LinkError {
  std::int32_t Code = 0;
  std::int32_t Extended = 0;
};

struct ReadResult {
  std::string Bytes;  // what arrived, at most the number asked for
  std::optional<LinkError> Error;
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Bytes queued and ready to read now.
  virtual std::int32_t BytesAvailable() = 0;
  virtual ReadResult Read(std::int32_t count) = 0;
};

}  // namespace ptpdiag
