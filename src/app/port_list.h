// --list-ports: every serial port the program can reach, one per line, with
// what an installer needs to find the right one and see why it will not
// open.
#pragma once

#include <iosfwd>
#include <string>

#include "platform/serial_port.h"

namespace ptpdiag {

// "Com1  /dev/ttyUSB0  /dev/serial/by-id/usb-FTDI_...  USB 0403:6001 FTDI
// "FT232R USB UART"  serial A50285BI  can open: yes"; fields the system
// does not know are left out; "Com3  (none)" for a name with no device;
// "--" for a port no name reaches.
std::string PortListLine(const SerialPortListing& listing);

// What "can open" says.
std::string PortAccessWords(PortAccess access, const std::string& holder);

// Lists the ports `driver` finds, trying each, on `out`; "No serial ports
// found." and a hint when there are none. Returns the exit code, 0.
int ListPorts(SerialDriver& driver, std::ostream& out);

}  // namespace ptpdiag
