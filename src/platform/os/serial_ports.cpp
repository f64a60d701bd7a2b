#include "platform/os/serial_ports.h"

#include <libserialport.h>

#include <cstddef>
#include <string>

namespace ptpdiag {
namespace {

std::string OrEmpty(const char* text) {
  return text != nullptr ? std::string(text) : std::string();
}

}  // namespace

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
    if (info.Usb) {
      info.Manufacturer = OrEmpty(sp_get_port_usb_manufacturer(port));
      info.Product = OrEmpty(sp_get_port_usb_product(port));
    }
    if (!info.Device.empty()) result.push_back(std::move(info));
  }
  sp_free_port_list(list);
  SortForNumbering(result);
  return result;
}

}  // namespace ptpdiag
