#include "platform/os/serial_ports.h"

#include <libserialport.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <system_error>

namespace ptpdiag {
namespace {

std::string OrEmpty(const char* text) {
  return text != nullptr ? std::string(text) : std::string();
}

void AddUsbDetails(const sp_port* port, PortInfo& info) {
  info.Manufacturer = OrEmpty(sp_get_port_usb_manufacturer(port));
  info.Product = OrEmpty(sp_get_port_usb_product(port));
  info.SerialNumber = OrEmpty(sp_get_port_usb_serial(port));
  int vendor = 0;
  int product = 0;
  if (sp_get_port_usb_vid_pid(port, &vendor, &product) == SP_OK) {
    info.VendorId = static_cast<std::uint16_t>(vendor);
    info.ProductId = static_cast<std::uint16_t>(product);
  }
}

}  // namespace

std::string StableLinkOf(const std::string& realPath) {
  namespace fs = std::filesystem;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator("/dev/serial/by-id", error)) {
    std::error_code resolved;
    if (fs::canonical(entry.path(), resolved) == realPath && !resolved) {
      return entry.path().string();
    }
  }
  return {};
}

std::vector<PortInfo> ListSerialPorts() {
  std::vector<PortInfo> result;
  sp_port** list = nullptr;
  if (sp_list_ports(&list) != SP_OK || list == nullptr) return result;
  for (std::size_t i = 0; list[i] != nullptr; ++i) {
    const sp_port* port = list[i];
    PortInfo info;
    info.Device = OrEmpty(sp_get_port_name(port));
    info.Usb = sp_get_port_transport(port) == SP_TRANSPORT_USB;
    info.Description = OrEmpty(sp_get_port_description(port));
    if (info.Usb) AddUsbDetails(port, info);
    info.StableLink = StableLinkOf(info.Device);
    if (!info.Device.empty()) result.push_back(std::move(info));
  }
  sp_free_port_list(list);
  SortForNumbering(result);
  return result;
}

}  // namespace ptpdiag
