// A serial port as the link sees it, and the driver that opens one by its
// port name ("Com1" .. "Com8").
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/link_error.h"
#include "platform/port_names.h"

namespace ptpdiag {

struct [[nodiscard]] ReadResult {
  std::string Bytes;  // what arrived, at most the number asked for
  std::optional<LinkError> Error;
};

struct [[nodiscard]] QueueStatus {
  std::int32_t Count = 0;  // bytes in the driver's receive queue
  // A failed query or a device that went away; Count is then 0.
  std::optional<LinkError> Error;
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // Takes in what the device holds now; Queued and Read then serve that.
  // Called once per tick. A port that asks its device on every call has
  // nothing to do here.
  virtual void Collect() {}
  virtual QueueStatus Queued() = 0;
  // Up to `count` bytes that have already arrived; never waits.
  virtual ReadResult Read(std::int32_t count) = 0;
  // Writes, waiting at most 100 ms; the bytes written, or -1 on failure.
  // Called from the transmit thread while the window thread reads.
  virtual std::int32_t Write(std::span<const std::uint8_t> bytes) = 0;
  // Releases the port; false when the system reported an error.
  [[nodiscard]] virtual bool Close() = 0;
  // How the driver finds this port again after its device went away and
  // came back (a re-plugged adapter); empty: by its port name.
  virtual std::string Identity() const { return {}; }
};

enum class SerialOpenFailure { NoSuchDevice, InUse, PermissionDenied, NotASerialPort, Other };

struct [[nodiscard]] SerialOpenError {
  SerialOpenError() = default;
  SerialOpenError(SerialOpenFailure failure, std::string device, std::string detail)
      : Failure(failure), Device(std::move(device)), Detail(std::move(detail)) {}

  SerialOpenFailure Failure = SerialOpenFailure::Other;
  std::string Device;  // the device the name reached; empty when none
  std::string Detail;  // the system's words
  // InUse: who holds the port, where the system lets this user see it
  // ("minicom (process 4242)"); else empty.
  std::string Holder;
  // NoSuchDevice: the ports there are, as "Com1 (/dev/ttyUSB0)"; nothing
  // when the driver did not look.
  std::optional<std::vector<std::string>> PortsHere;
};

// Whether a port could be opened now, as a quick try finds it.
enum class PortAccess { Yes, InUse, PermissionDenied, NoDevice, NotASerialPort, Other, NotTried };

// One port for lists shown to the user: the name the program reaches it
// by, what it is, and whether it can be opened.
struct SerialPortListing {
  std::string ComName;  // "Com1" ...; empty when no name reaches it
  PortInfo Info;
  PortAccess Access = PortAccess::NotTried;
  std::string Holder;  // InUse: who holds it, where visible
};

struct [[nodiscard]] SerialOpenResult {
  std::unique_ptr<SerialPort> Port;
  std::optional<SerialOpenError> Error;
};

class SerialDriver {
 public:
  virtual ~SerialDriver() = default;
  // Opens the port exclusively with the fixed settings: 115200 baud, 8 data
  // bits, no parity, 1 stop bit, no CTS/DSR flow control, DTR on.
  virtual SerialOpenResult Open(const std::string& portName) = 0;
  // Opens the port with the identity an open port gave.
  virtual SerialOpenResult Reopen(const std::string& identity) { return Open(identity); }
  // Every port there is, and every name Com1 .. Com8 with what it reaches
  // (a name reaching no device is listed with an empty Device and
  // NoDevice), in name order; `tryOpen`: each port is opened for a moment
  // to fill in Access.
  virtual std::vector<SerialPortListing> ListPorts(bool tryOpen) {
    (void)tryOpen;
    return {};
  }
};

}  // namespace ptpdiag
