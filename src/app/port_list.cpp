#include "app/port_list.h"

#include <cstdio>
#include <ostream>
#include <vector>

#include "platform/serial_chips.h"

namespace ptpdiag {
namespace {

std::string Hex4(std::uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04x", value);
  return text;
}

std::string UsbField(const PortInfo& info) {
  if (!info.VendorId || !info.ProductId) {
    const std::string_view family = SerialChipFamilyOfDevice(info.Device);
    return family.empty() ? "" : std::string(family);
  }
  std::string field = "USB " + Hex4(*info.VendorId) + ":" + Hex4(*info.ProductId);
  const std::string_view family = SerialChipFamily(*info.VendorId, *info.ProductId);
  if (!family.empty()) field += " " + std::string(family);
  return field;
}

// The system's words for the port, unless they only repeat its name.
std::string DescriptionField(const PortInfo& info) {
  std::string text = info.Description.empty() ? info.Product : info.Description;
  const std::size_t slash = info.Device.rfind('/');
  const std::string base = slash == std::string::npos ? info.Device : info.Device.substr(slash + 1);
  if (text.empty() || text == base || text == info.Device) return "";
  return "\"" + text + "\"";
}

}  // namespace

std::string PortAccessWords(PortAccess access, const std::string& holder) {
  switch (access) {
    case PortAccess::Yes:
      return "yes";
    case PortAccess::InUse:
      return holder.empty() ? "in use" : "in use by " + holder;
    case PortAccess::PermissionDenied:
      return "permission denied";
    case PortAccess::NoDevice:
      return "no device";
    case PortAccess::NotASerialPort:
      return "not a serial port";
    case PortAccess::Other:
      return "no (it failed)";
    case PortAccess::NotTried:
      break;
  }
  return "not tried";
}

std::string PortListLine(const SerialPortListing& listing) {
  const PortInfo& info = listing.Info;
  std::string line = listing.ComName.empty() ? "--  " : listing.ComName;
  if (info.Device.empty()) return line + "  (none)";
  std::vector<std::string> fields{info.Device};
  if (!info.StableLink.empty()) fields.push_back(info.StableLink);
  if (std::string usb = UsbField(info); !usb.empty()) fields.push_back(usb);
  if (std::string text = DescriptionField(info); !text.empty()) fields.push_back(text);
  if (!info.SerialNumber.empty()) fields.push_back("serial " + info.SerialNumber);
  if (listing.Access != PortAccess::NotTried) {
    fields.push_back("can open: " + PortAccessWords(listing.Access, listing.Holder));
  }
  for (const std::string& field : fields)
    line += "  " + field;
  return line;
}

int ListPorts(SerialDriver& driver, std::ostream& out) {
  const std::vector<SerialPortListing> listings = driver.ListPorts(true);
  bool any = false;
  for (const SerialPortListing& listing : listings) {
    any = any || !listing.Info.Device.empty();
  }
  if (!any) {
    out << "No serial ports found.\n"
        << (kWindowsPortNames
                ? "Plug in the adapter and look for it in Device Manager under \"Ports (COM & "
                  "LPT)\"; --serial COMn opens any port.\n"
                : "Plug in the adapter (then look at 'dmesg' for its name); --port ComN=DEVICE "
                  "or --serial DEVICE reaches any device.\n");
    return 0;
  }
  for (const SerialPortListing& listing : listings)
    out << PortListLine(listing) << "\n";
  return 0;
}

}  // namespace ptpdiag
