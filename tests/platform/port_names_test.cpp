#include "platform/port_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace ptpdiag {
namespace {

PortInfo Port(std::string device, bool usb) {
  PortInfo info;
  info.Device = std::move(device);
  info.Usb = usb;
  return info;
}

// Deliberately unsorted: resolution must not depend on the listing order.
const std::vector<PortInfo> kPorts = {
    Port("/dev/ttyS1", false),  Port("/dev/ttyUSB10", true), Port("/dev/ttyS0", false),
    Port("/dev/ttyACM0", true), Port("/dev/ttyUSB2", true),  Port("/dev/ttyS10", false),
    Port("/dev/ttyS2", false),
};

struct ResolveCase {
  const char* Name;
  std::optional<std::string> Expected;
};

class ResolvePortNameTest : public ::testing::TestWithParam<ResolveCase> {};

TEST_P(ResolvePortNameTest, ReachesTheNthPortUsbFirstInNaturalOrder) {
  const ResolveCase& c = GetParam();
  EXPECT_EQ(ResolvePortName(c.Name, {}, kPorts, false), c.Expected) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, ResolvePortNameTest,
    ::testing::Values(ResolveCase{"Com1", "/dev/ttyACM0"}, ResolveCase{"Com2", "/dev/ttyUSB2"},
                      ResolveCase{"Com3", "/dev/ttyUSB10"}, ResolveCase{"Com4", "/dev/ttyS0"},
                      ResolveCase{"com5", "/dev/ttyS1"}, ResolveCase{"COM6", "/dev/ttyS2"},
                      ResolveCase{"cOm7", "/dev/ttyS10"}, ResolveCase{"Com8", std::nullopt},
                      ResolveCase{"Com0", std::nullopt}, ResolveCase{"Com", std::nullopt},
                      ResolveCase{"LPT1", std::nullopt}, ResolveCase{"Com1x", std::nullopt},
                      ResolveCase{"Com-1", std::nullopt}, ResolveCase{"Com+1", std::nullopt},
                      ResolveCase{" Com1", std::nullopt}, ResolveCase{"", std::nullopt},
                      ResolveCase{"Com99999999999999999999", std::nullopt}));

TEST(ResolvePortName, MappingWinsInAnyCase) {
  const PortMappings mappings = {{"Com1", "/dev/pts/4"}, {"COM9", "/dev/pts/9"}};
  EXPECT_EQ(ResolvePortName("Com1", mappings, kPorts, false), "/dev/pts/4");
  EXPECT_EQ(ResolvePortName("cOM1", mappings, kPorts, false), "/dev/pts/4");
  EXPECT_EQ(ResolvePortName("com9", mappings, kPorts, false), "/dev/pts/9");
  // Unmapped names still count the list.
  EXPECT_EQ(ResolvePortName("Com2", mappings, kPorts, false), "/dev/ttyUSB2");
}

TEST(ResolvePortName, MappingKeysDifferingOnlyInCaseAreOneKey) {
  PortMappings mappings;
  mappings.emplace("com3", "/dev/first");
  EXPECT_FALSE(mappings.emplace("COM3", "/dev/second").second);
}

TEST(ResolvePortName, NoPortsMeansNothing) {
  EXPECT_EQ(ResolvePortName("Com1", {}, {}, false), std::nullopt);
}

TEST(ResolvePortName, WindowsNamesUseTheDeviceNamespace) {
  EXPECT_EQ(ResolvePortName("Com3", {}, {}, true), "\\\\.\\COM3");
  EXPECT_EQ(ResolvePortName("com12", {}, kPorts, true), "\\\\.\\COM12");
  EXPECT_EQ(ResolvePortName("Com0", {}, {}, true), std::nullopt);
}

// A mapped name reaches CreateFileA with the device prefix too: COM10 and
// above open no other way.
TEST(ResolvePortName, WindowsMappingsGetTheDeviceNamespace) {
  EXPECT_EQ(ResolvePortName("Com1", {{"com1", "COM7"}}, {}, true), "\\\\.\\COM7");
  EXPECT_EQ(ResolvePortName("Com1", {{"com1", "COM12"}}, {}, true), "\\\\.\\COM12");
  EXPECT_EQ(ResolvePortName("Com2", {{"com2", "\\\\.\\COM12"}}, {}, true), "\\\\.\\COM12");
  EXPECT_EQ(ResolvePortName("Com2", {{"com2", "/dev/pts/3"}}, {}, false), "/dev/pts/3");
}

struct DevicePathCase {
  const char* Name;
  const char* Expected;
};

class WindowsDevicePathTest : public ::testing::TestWithParam<DevicePathCase> {};

TEST_P(WindowsDevicePathTest, PrefixesComPortsOnly) {
  EXPECT_EQ(WindowsDevicePath(GetParam().Name), GetParam().Expected) << GetParam().Name;
}

INSTANTIATE_TEST_SUITE_P(Names, WindowsDevicePathTest,
                         ::testing::Values(DevicePathCase{"COM1", "\\\\.\\COM1"},
                                           DevicePathCase{"com12", "\\\\.\\COM12"},
                                           DevicePathCase{"Com255", "\\\\.\\COM255"},
                                           DevicePathCase{"\\\\.\\COM12", "\\\\.\\COM12"},
                                           DevicePathCase{"\\\\.\\com3", "\\\\.\\COM3"},
                                           // Not a COM port: left for the system to judge.
                                           DevicePathCase{"COM0", "COM0"},
                                           DevicePathCase{"COM1:", "COM1:"},
                                           DevicePathCase{"\\\\.\\CNCA0", "\\\\.\\CNCA0"},
                                           DevicePathCase{"", ""},
                                           DevicePathCase{"/dev/ttyUSB0", "/dev/ttyUSB0"}));

struct OrderCase {
  const char* Less;
  const char* Greater;
};

class NaturalLessTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(NaturalLessTest, OrdersDigitRunsByValue) {
  const OrderCase& c = GetParam();
  EXPECT_TRUE(NaturalLess(c.Less, c.Greater)) << c.Less << " < " << c.Greater;
  EXPECT_FALSE(NaturalLess(c.Greater, c.Less)) << c.Greater << " < " << c.Less;
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, NaturalLessTest,
    ::testing::Values(OrderCase{"ttyUSB2", "ttyUSB10"}, OrderCase{"ttyS9", "ttyS10"},
                      OrderCase{"ttyS1", "ttyUSB0"}, OrderCase{"tty", "tty0"},
                      OrderCase{"ttyACM0", "ttyS0"}, OrderCase{"a2b9", "a2b10"},
                      OrderCase{"a10b1", "a10c0"}, OrderCase{"tty01", "tty1"},
                      OrderCase{"x99999999999999999999", "x100000000000000000000"}));

TEST(NaturalLess, IsIrreflexive) {
  for (const char* name : {"", "ttyS0", "ttyUSB10", "007"})
    EXPECT_FALSE(NaturalLess(name, name));
}

}  // namespace
}  // namespace ptpdiag
