// Serial ports through libserialport, opened exclusively with the program's
// fixed settings.
#pragma once

#include <string>

#include "platform/os/serial_ports.h"
#include "platform/serial_port.h"

namespace ptpdiag {

class LibSerialPortDriver final : public SerialDriver {
 public:
  // `mappings` name devices for port names explicitly (they win over the
  // system's list; keys in any case).
  explicit LibSerialPortDriver(PortMappings mappings = {});

  // Resolves `portName` (ResolvePortName over ListSerialPorts) and opens it.
  // NoSuchDevice with an empty Device when the name reaches no device.
  SerialOpenResult Open(const std::string& portName) override;
  // A port's Identity is a device path (its /dev/serial/by-id link where
  // it has one): opened as such.
  SerialOpenResult Reopen(const std::string& identity) override { return OpenDevice(identity); }

  // Opens a device path directly. Exclusive: a second open of the same device,
  // from this process or another, fails with InUse while this one is open.
  // Devices libserialport does not know (pseudo-terminals) are opened with
  // plain POSIX calls and the same settings.
  SerialOpenResult OpenDevice(const std::string& devicePath);

  // The system's ports under their names, with the mappings; `tryOpen`
  // opens each for a moment (with the same exclusive lock) and names who
  // holds a busy one.
  std::vector<SerialPortListing> ListPorts(bool tryOpen) override;

 private:
  PortMappings mappings_;
};

}  // namespace ptpdiag
