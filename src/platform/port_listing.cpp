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
