#include "platform/os/serial_ports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace ptpdiag {
namespace {

TEST(ListSerialPorts, ListsInNumberingOrder) {
  const std::vector<PortInfo> ports = ListSerialPorts();
  for (const PortInfo& port : ports)
    EXPECT_FALSE(port.Device.empty());
  EXPECT_TRUE(std::is_sorted(ports.begin(), ports.end(), [](const PortInfo& a, const PortInfo& b) {
    if (a.Usb != b.Usb) return a.Usb;
    return NaturalLess(a.Device, b.Device);
  }));
}

}  // namespace
}  // namespace ptpdiag
