#include "platform/serial_chips.h"

#include <array>

namespace ptpdiag {
namespace {

constexpr std::string_view kFtdi = "FTDI";
constexpr std::string_view kCp210x = "Silicon Labs CP210x";
constexpr std::string_view kCh34x = "WCH CH34x";
constexpr std::string_view kPl2303 = "Prolific PL2303";

constexpr std::array<SerialChip, 20> kChips{{
    {0x0403, std::nullopt, kFtdi}, {0x10C4, 0xEA60, kCp210x}, {0x10C4, 0xEA61, kCp210x},
    {0x10C4, 0xEA63, kCp210x},     {0x10C4, 0xEA70, kCp210x}, {0x10C4, 0xEA71, kCp210x},
    {0x10C4, 0xEA80, kCp210x},     {0x1A86, 0x7522, kCh34x},  {0x1A86, 0x7523, kCh34x},
    {0x1A86, 0x5523, kCh34x},      {0x1A86, 0x55D2, kCh34x},  {0x1A86, 0x55D3, kCh34x},
    {0x1A86, 0x55D4, kCh34x},      {0x067B, 0x2303, kPl2303}, {0x067B, 0x23A3, kPl2303},
    {0x067B, 0x23B3, kPl2303},     {0x067B, 0x23C3, kPl2303}, {0x067B, 0x23D3, kPl2303},
    {0x067B, 0x23E3, kPl2303},     {0x067B, 0x23F3, kPl2303},
}};

}  // namespace

std::span<const SerialChip> KnownSerialChips() {
  return kChips;
}

std::string_view SerialChipFamily(std::uint16_t vendorId, std::uint16_t productId) {
  for (const SerialChip& chip : kChips) {
    if (chip.VendorId == vendorId && (!chip.ProductId || *chip.ProductId == productId)) {
      return chip.Family;
    }
  }
  return {};
}

std::string_view SerialChipFamilyOfDevice(std::string_view device) {
  const std::size_t slash = device.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? device : device.substr(slash + 1);
  return name.starts_with("ttyACM") ? "CDC-ACM" : "";
}

}  // namespace ptpdiag
