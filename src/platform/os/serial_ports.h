// The serial ports this computer has, as libserialport lists them.
#pragma once

#include <vector>

#include "platform/port_names.h"

namespace ptpdiag {

// The serial ports the system reports, in SortForNumbering order; empty when
// it cannot enumerate them.
std::vector<PortInfo> ListSerialPorts();

}  // namespace ptpdiag
