// Who holds a device open, from /proc: for telling a user which program
// has the serial port they want.
#pragma once

#include <string>
#include <vector>

namespace ptpdiag {

// "minicom (process 4242)" for each other process that has `device` (a
// real path, links resolved) open, as far as this user may look into
// /proc; empty when none is visible.
std::vector<std::string> PortHolders(const std::string& device);

// The holders joined for a sentence: "minicom (process 4242)", or "a and
// b"; empty when none.
std::string PortHoldersText(const std::string& device);

}  // namespace ptpdiag
