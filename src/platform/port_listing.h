// Which port each name reaches, for lists shown to the user (--list-ports,
// the "Select Comm Port" dialog): pure rules over the ports a driver found.
#pragma once

#include <string_view>
#include <vector>

#include "platform/port_names.h"
#include "platform/serial_port.h"

namespace ptpdiag {

// The names the menu offers.
inline constexpr int kListedPortNames = 8;

// Com1 .. Com8 with the port each reaches: the system's port when the
// name reaches one of `ports`, a mapped device as it was given, else an
// empty Device and NoDevice. Then the ports of `ports` no name reaches,
// with no name. Access is NotTried except for NoDevice.
std::vector<SerialPortListing> NamePorts(const std::vector<PortInfo>& ports,
                                         const PortMappings& mappings,
                                         bool windowsNames = kWindowsPortNames);

// A few words for a port in a list of names: what the system calls it
// ("FT232R USB UART (ttyUSB0)", "USB Serial Port (COM7)"), else its
// device; "(none)" when there is no device.
std::string PortShortDescription(const PortInfo& info);

// Reads a Windows device instance ID into `info`: "USB\VID_0403&PID_6001\A50285BI"
// gives the IDs, Usb and the serial number (the last part, when it is
// not one Windows made up: those hold '&'); "FTDIBUS\VID_0403+PID_6001+A50285BIA\0000"
// gives the IDs and the serial number. Nothing changes for other IDs.
void ReadUsbInstanceId(std::string_view id, PortInfo& info);

// "Com1 (/dev/ttyUSB0)" for each listing that has a device.
std::vector<std::string> PortsHereText(const std::vector<SerialPortListing>& listings);

}  // namespace ptpdiag
