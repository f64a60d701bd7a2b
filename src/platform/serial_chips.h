// The chip families of USB serial adapters, known by their USB vendor and
// product IDs: what an installer needs to pick the right driver.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace ptpdiag {

struct SerialChip {
  std::uint16_t VendorId = 0;
  std::optional<std::uint16_t> ProductId;  // none: every product of the vendor
  std::string_view Family;
};

// The table, most specific entries first.
std::span<const SerialChip> KnownSerialChips();

// The family of an adapter with these IDs; empty when unknown.
std::string_view SerialChipFamily(std::uint16_t vendorId, std::uint16_t productId);

// The family of a port without known IDs, from its device name: USB
// modems and CDC-ACM devices are /dev/ttyACMn on Linux. Empty otherwise.
std::string_view SerialChipFamilyOfDevice(std::string_view device);

}  // namespace ptpdiag
