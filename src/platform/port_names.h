// How a port name ("Com1" .. "Com8", or a name given on the command line)
// reaches a serial device: Windows device names, or the N-th port of a
// list on other systems. Pure rules, shared by every backend.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ptpdiag {

struct PortInfo {
  std::string Device;  // the path the port opens by, e.g. "/dev/ttyUSB0"
  bool Usb = false;    // a USB adapter
  std::string Description;
  std::string Manufacturer;  // USB adapters only; may be empty
  std::string Product;       // USB adapters only; may be empty
  // USB adapters, where the system says: vendor and product IDs, the
  // adapter's serial number; and (Linux) its /dev/serial/by-id link.
  std::optional<std::uint16_t> VendorId;
  std::optional<std::uint16_t> ProductId;
  std::string SerialNumber;
  std::string StableLink;
};

// Orders port names ignoring ASCII case ("com1" and "COM1" are one key).
struct PortNameLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

// Port name -> device, given on the command line (e.g. Com1=/dev/pts/4 or
// Com1=COM12).
using PortMappings = std::map<std::string, std::string, PortNameLess>;

// Whether this build names ports the Windows way (\\.\COMn); the build
// says which.
inline constexpr bool kWindowsPortNames = PTPDIAG_WINDOWS_PORT_NAMES != 0;

// The number N of a port name "ComN" (any case, N >= 1, decimal digits only);
// nothing for any other name.
std::optional<int> PortNumber(std::string_view name);

// The name CreateFileA must be given for a Windows port: "COM12", "com3"
// and "\\.\COM12" all become "\\.\COMn" (COM10 and above open only
// that way); any other text is returned unchanged.
std::string WindowsDevicePath(std::string_view name);

// Digit runs compare by value, everything else by character: "ttyUSB2" before
// "ttyUSB10". A strict weak order; names equal in value fall back to plain
// comparison so distinct names never tie.
bool NaturalLess(std::string_view a, std::string_view b);

// Sorts ports as ComN counts them: USB adapters first, then the rest, each in
// natural order of their device paths.
void SortForNumbering(std::vector<PortInfo>& ports);

// The device a port name reaches: a mapping for the name (case-insensitive)
// wins, whatever the name; otherwise "ComN" is \\.\COMN with Windows names, or
// else the N-th of `ports` in SortForNumbering order (the input order does not
// matter). With Windows names every result passes through WindowsDevicePath.
// Nothing when the name is not "ComN" or there is no N-th port.
std::optional<std::string> ResolvePortName(std::string_view name, const PortMappings& mappings,
                                           const std::vector<PortInfo>& ports,
                                           bool windowsNames = kWindowsPortNames);

}  // namespace ptpdiag
