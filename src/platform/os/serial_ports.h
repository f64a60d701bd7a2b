// The serial ports this computer has, as libserialport lists them.
#pragma once

#include <string>
#include <vector>

#include "platform/port_names.h"

namespace ptpdiag {

// The serial ports the system reports, in SortForNumbering order, with
// USB IDs, serial numbers and /dev/serial/by-id links where there are
// any; empty when it cannot enumerate them.
std::vector<PortInfo> ListSerialPorts();

// The /dev/serial/by-id link that leads to `realPath`; empty when none.
std::string StableLinkOf(const std::string& realPath);

}  // namespace ptpdiag
