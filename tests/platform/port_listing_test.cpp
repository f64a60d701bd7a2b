// The chip table, the names the lists give each port, and the words the
// lists and the open failures use.
#include "platform/port_listing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/port_list.h"
#include "link/serial_link.h"
#include "platform/serial_chips.h"

namespace ptpdiag {
namespace {

struct ChipCase {
  std::uint16_t Vendor, Product;
  const char* Family;
};

class ChipFamilies : public testing::TestWithParam<ChipCase> {};

TEST_P(ChipFamilies, FollowTheIds) {
  const ChipCase& c = GetParam();
  EXPECT_EQ(SerialChipFamily(c.Vendor, c.Product), c.Family)
      << std::hex << c.Vendor << ":" << c.Product;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChipFamilies,
    testing::Values(ChipCase{0x0403, 0x6001, "FTDI"}, ChipCase{0x0403, 0x6015, "FTDI"},
                    ChipCase{0x10C4, 0xEA60, "Silicon Labs CP210x"},
                    ChipCase{0x10C4, 0x8A2A, ""},  // a Silicon Labs part that is no bridge
                    ChipCase{0x1A86, 0x7523, "WCH CH34x"}, ChipCase{0x1A86, 0x55D4, "WCH CH34x"},
                    ChipCase{0x067B, 0x2303, "Prolific PL2303"},
                    ChipCase{0x067B, 0x23A3, "Prolific PL2303"}, ChipCase{0x2341, 0x0043, ""}));

TEST(ChipFamilies, EveryEntryIsFoundByItsOwnIds) {
  for (const SerialChip& chip : KnownSerialChips()) {
    EXPECT_EQ(SerialChipFamily(chip.VendorId, chip.ProductId.value_or(0x1234)), chip.Family);
  }
  EXPECT_EQ(SerialChipFamilyOfDevice("/dev/ttyACM0"), "CDC-ACM");
  EXPECT_EQ(SerialChipFamilyOfDevice("/dev/ttyUSB0"), "");
}

PortInfo Port(std::string device, bool usb, std::string description = "") {
  PortInfo info;
  info.Device = std::move(device);
  info.Usb = usb;
  info.Description = std::move(description);
  return info;
}

std::string Names(const std::vector<SerialPortListing>& listings) {
  std::string text;
  for (const SerialPortListing& l : listings)
    text += (l.ComName.empty() ? "--" : l.ComName) + "=" +
            (l.Info.Device.empty() ? "(none)" : l.Info.Device) + " ";
  return text;
}

struct NamingCase {
  const char* Name;
  std::vector<PortInfo> Ports;
  PortMappings Mappings;
  bool WindowsNames;
  const char* Expected;
};

class PortNaming : public testing::TestWithParam<NamingCase> {};

TEST_P(PortNaming, GivesEachNameItsPortAndListsTheRestUnnamed) {
  const NamingCase& c = GetParam();
  EXPECT_EQ(Names(NamePorts(c.Ports, c.Mappings, c.WindowsNames)), c.Expected) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(
    Systems, PortNaming,
    testing::Values(
        NamingCase{"none",
                   {},
                   {},
                   false,
                   "Com1=(none) Com2=(none) Com3=(none) Com4=(none) Com5=(none) Com6=(none) "
                   "Com7=(none) Com8=(none) "},
        NamingCase{
            "USB first, a mapping wins, the shadowed port listed unnamed",
            {Port("/dev/ttyS0", false), Port("/dev/ttyUSB1", true), Port("/dev/ttyUSB0", true)},
            {{"Com1", "/dev/pts/4"}},
            false,
            "Com1=/dev/pts/4 Com2=/dev/ttyUSB1 Com3=/dev/ttyS0 Com4=(none) Com5=(none) "
            "Com6=(none) Com7=(none) Com8=(none) --=/dev/ttyUSB0 "},
        NamingCase{"Windows: COMn is Comn, COM12 has no name unless mapped",
                   {Port("COM3", true), Port("COM12", true), Port("COM1", false)},
                   {},
                   true,
                   "Com1=COM1 Com2=(none) Com3=COM3 Com4=(none) Com5=(none) Com6=(none) "
                   "Com7=(none) Com8=(none) --=COM12 "},
        NamingCase{"Windows: a mapping to COM12",
                   {Port("COM12", true)},
                   {{"Com2", "com12"}},
                   true,
                   "Com1=(none) Com2=COM12 Com3=(none) Com4=(none) Com5=(none) Com6=(none) "
                   "Com7=(none) Com8=(none) "}));

struct InstanceIdCase {
  const char* Id;
  std::optional<std::uint16_t> Vendor, Product;
  const char* Serial;
};

class WindowsInstanceIds : public testing::TestWithParam<InstanceIdCase> {};

TEST_P(WindowsInstanceIds, GiveUsbIdsAndSerialNumbers) {
  PortInfo info;
  ReadUsbInstanceId(GetParam().Id, info);
  EXPECT_EQ(info.VendorId, GetParam().Vendor) << GetParam().Id;
  EXPECT_EQ(info.ProductId, GetParam().Product) << GetParam().Id;
  EXPECT_EQ(info.SerialNumber, GetParam().Serial) << GetParam().Id;
}

INSTANTIATE_TEST_SUITE_P(
    Ids, WindowsInstanceIds,
    testing::Values(InstanceIdCase{"USB\\VID_0403&PID_6001\\A50285BI", 0x0403, 0x6001, "A50285BI"},
                    InstanceIdCase{"USB\\VID_10C4&PID_EA60\\5&2A1B2C3&0&2", 0x10C4, 0xEA60, ""},
                    InstanceIdCase{"FTDIBUS\\VID_0403+PID_6015+DK0AB1CDA\\0000", 0x0403, 0x6015,
                                   "DK0AB1CD"},
                    InstanceIdCase{"USB\\VID_1a86&PID_7523\\6&1", 0x1A86, 0x7523, ""},
                    InstanceIdCase{"ACPI\\PNP0501\\1", std::nullopt, std::nullopt, ""},
                    InstanceIdCase{"USB\\VID_04", std::nullopt, std::nullopt, ""}));

SerialPortListing Listing(std::string name, PortInfo info, PortAccess access,
                          std::string holder = "") {
  return SerialPortListing{std::move(name), std::move(info), access, std::move(holder)};
}

PortInfo Ftdi() {
  PortInfo info = Port("/dev/ttyUSB0", true, "FT232R USB UART");
  info.VendorId = 0x0403;
  info.ProductId = 0x6001;
  info.SerialNumber = "A50285BI";
  info.StableLink = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
  return info;
}

struct LineCase {
  SerialPortListing Listing;
  const char* Line;
};

class PortListLines : public testing::TestWithParam<LineCase> {};

TEST_P(PortListLines, SayWhatAnInstallerNeeds) {
  EXPECT_EQ(PortListLine(GetParam().Listing), GetParam().Line);
}

INSTANTIATE_TEST_SUITE_P(
    Ports, PortListLines,
    testing::Values(
        LineCase{
            Listing("Com1", Ftdi(), PortAccess::Yes),
            "Com1  /dev/ttyUSB0  /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"
            "  USB 0403:6001 FTDI  \"FT232R USB UART\"  serial A50285BI  can open: yes"},
        LineCase{Listing("Com2", Port("/dev/ttyACM0", true), PortAccess::InUse,
                         "ModemManager (process 812)"),
                 "Com2  /dev/ttyACM0  CDC-ACM  can open: in use by ModemManager (process 812)"},
        LineCase{Listing("Com3", Port("/dev/ttyS0", false, "ttyS0"), PortAccess::PermissionDenied),
                 "Com3  /dev/ttyS0  can open: permission denied"},
        LineCase{Listing("Com4", Port("/tmp/x", false), PortAccess::NotASerialPort),
                 "Com4  /tmp/x  can open: not a serial port"},
        LineCase{Listing("Com5", PortInfo{}, PortAccess::NoDevice), "Com5  (none)"},
        LineCase{Listing("", Port("COM12", true, "USB Serial Port (COM12)"), PortAccess::InUse),
                 "--    COM12  \"USB Serial Port (COM12)\"  can open: in use"}));

struct AdviceCase {
  SerialOpenError Error;
  const char* Words;
};

SerialOpenError WithPorts(SerialOpenError error, std::vector<std::string> ports) {
  error.PortsHere = std::move(ports);
  return error;
}

SerialOpenError HeldBy(SerialOpenError error, std::string holder) {
  error.Holder = std::move(holder);
  return error;
}

class OpenAdvice : public testing::TestWithParam<AdviceCase> {};

TEST_P(OpenAdvice, SaysWhyAndWhatThereIs) {
  EXPECT_EQ(SerialOpenAdvice("Com3", GetParam().Error), GetParam().Words);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, OpenAdvice,
    testing::Values(
        AdviceCase{
            HeldBy({SerialOpenFailure::InUse, "/dev/ttyUSB0", "busy"}, "minicom (process 4242)"),
            "/dev/ttyUSB0 is in use by another program: minicom (process 4242)."},
        AdviceCase{WithPorts({SerialOpenFailure::NoSuchDevice, "", ""},
                             {"Com1 (/dev/ttyUSB0)", "Com2 (/dev/ttyS0)"}),
                   "No serial port is known as Com3. Is the adapter plugged in? Serial ports "
                   "here: Com1 (/dev/ttyUSB0), Com2 (/dev/ttyS0)."},
        AdviceCase{WithPorts({SerialOpenFailure::NoSuchDevice, "/dev/ttyUSB4", ""}, {}),
                   "/dev/ttyUSB4 does not exist. Is the adapter plugged in? There is no serial "
                   "port on this computer now."},
        AdviceCase{{SerialOpenFailure::NotASerialPort, "/home/a/notes.txt", "Inappropriate ioctl"},
                   "/home/a/notes.txt is not a serial port."}));

}  // namespace
}  // namespace ptpdiag
