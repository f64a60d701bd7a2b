#include "platform/port_listing.h"

#include <algorithm>
#include <cctype>

namespace ptpdiag {
namespace {

// Windows names one port many ways ("COM7", "com7", "\\.\COM7").
std::string Comparable(const std::string& device, bool windowsNames) {
  if (!windowsNames) return device;
  std::string path = WindowsDevicePath(device);
  std::transform(path.begin(), path.end(), path.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return path;
}

}  // namespace

std::vector<SerialPortListing> NamePorts(const std::vector<PortInfo>& ports,
                                         const PortMappings& mappings, bool windowsNames) {
  std::vector<PortInfo> sorted = ports;
  SortForNumbering(sorted);
  std::vector<bool> named(sorted.size(), false);
  std::vector<SerialPortListing> listings;
  for (int n = 1; n <= kListedPortNames; ++n) {
    SerialPortListing listing;
    listing.ComName = "Com" + std::to_string(n);
    const std::optional<std::string> device =
        ResolvePortName(listing.ComName, mappings, sorted, windowsNames);
    const auto found = std::find_if(sorted.begin(), sorted.end(), [&](const PortInfo& port) {
      return device && Comparable(port.Device, windowsNames) == Comparable(*device, windowsNames);
    });
    if (found != sorted.end()) {
      listing.Info = *found;
      named[static_cast<std::size_t>(found - sorted.begin())] = true;
    } else if (device && mappings.find(listing.ComName) != mappings.end()) {
      listing.Info.Device = *device;
    } else {
      listing.Access = PortAccess::NoDevice;
    }
    listings.push_back(std::move(listing));
  }
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    if (!named[i]) listings.push_back(SerialPortListing{"", sorted[i], PortAccess::NotTried, ""});
  }
  return listings;
}

std::string PortShortDescription(const PortInfo& info) {
  if (info.Device.empty()) return "(none)";
  const std::size_t slash = info.Device.find_last_of("/\\");
  const std::string base = slash == std::string::npos ? info.Device : info.Device.substr(slash + 1);
  const std::string& words = info.Description.empty() ? info.Product : info.Description;
  if (words.empty() || words == base) return info.Device;
  if (words.find(base) != std::string::npos) return words;
  return words + " (" + base + ")";
}

namespace {

std::optional<std::uint16_t> HexAfter(std::string_view id, std::string_view key) {
  const std::size_t at = id.find(key);
  if (at == std::string_view::npos || at + key.size() + 4 > id.size()) return std::nullopt;
  unsigned value = 0;
  for (const char c : id.substr(at + key.size(), 4)) {
    const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                      : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                                                                  : -1;
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  return static_cast<std::uint16_t>(value);
}

}  // namespace

void ReadUsbInstanceId(std::string_view id, PortInfo& info) {
  const std::optional<std::uint16_t> vendor = HexAfter(id, "VID_");
  const std::optional<std::uint16_t> product = HexAfter(id, "PID_");
  if (!vendor || !product) return;
  info.VendorId = vendor;
  info.ProductId = product;
  info.Usb = true;
  if (id.starts_with("FTDIBUS\\")) {
    // VID_0403+PID_6001+A50285BIA: the serial number with the port's letter.
    const std::size_t plus = id.rfind('+');
    const std::size_t slash = id.rfind('\\');
    if (plus != std::string_view::npos && slash != std::string_view::npos && plus < slash) {
      std::string_view serial = id.substr(plus + 1, slash - plus - 1);
      if (serial.size() > 1) serial.remove_suffix(1);
      info.SerialNumber = serial;
    }
    return;
  }
  const std::size_t slash = id.rfind('\\');
  const std::string_view last = slash == std::string_view::npos ? "" : id.substr(slash + 1);
  if (!last.empty() && last.find('&') == std::string_view::npos) info.SerialNumber = last;
}

std::vector<std::string> PortsHereText(const std::vector<SerialPortListing>& listings) {
  std::vector<std::string> text;
  for (const SerialPortListing& listing : listings) {
    if (listing.Info.Device.empty()) continue;
    text.push_back(listing.ComName.empty() ? listing.Info.Device
                                           : listing.ComName + " (" + listing.Info.Device + ")");
  }
  return text;
}

}  // namespace ptpdiag
