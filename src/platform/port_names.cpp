#include "platform/port_names.h"

#include <algorithm>
#include <charconv>
#include <cstddef>

namespace ptpdiag {
namespace {

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

bool PortNameLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(LowerAscii(x)) < static_cast<unsigned char>(LowerAscii(y));
  });
}

std::optional<int> PortNumber(std::string_view name) {
  constexpr std::string_view kPrefix = "com";
  if (name.size() <= kPrefix.size()) return std::nullopt;
  for (std::size_t i = 0; i < kPrefix.size(); ++i) {
    if (LowerAscii(name[i]) != kPrefix[i]) return std::nullopt;
  }
  const std::string_view digits = name.substr(kPrefix.size());
  if (!std::all_of(digits.begin(), digits.end(), IsDigit)) return std::nullopt;
  int number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc() || end != digits.data() + digits.size() || number < 1) {
    return std::nullopt;
  }
  return number;
}

std::string WindowsDevicePath(std::string_view name) {
  constexpr std::string_view kDeviceNamespace = "\\\\.\\";
  std::string_view bare = name;
  if (bare.substr(0, kDeviceNamespace.size()) == kDeviceNamespace) {
    bare.remove_prefix(kDeviceNamespace.size());
  }
  const std::optional<int> number = PortNumber(bare);
  if (!number) return std::string(name);
  return std::string(kDeviceNamespace) + "COM" + std::to_string(*number);
}

bool NaturalLess(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      std::size_t endA = i;
      std::size_t endB = j;
      while (endA < a.size() && IsDigit(a[endA]))
        ++endA;
      while (endB < b.size() && IsDigit(b[endB]))
        ++endB;
      // Compare the runs by value without converting: skip leading zeros,
      // then the longer run is larger, then digit by digit.
      std::size_t startA = i;
      std::size_t startB = j;
      while (startA + 1 < endA && a[startA] == '0')
        ++startA;
      while (startB + 1 < endB && b[startB] == '0')
        ++startB;
      const std::string_view runA = a.substr(startA, endA - startA);
      const std::string_view runB = b.substr(startB, endB - startB);
      if (runA.size() != runB.size()) return runA.size() < runB.size();
      if (runA != runB) return runA < runB;
      i = endA;
      j = endB;
    } else {
      if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
      ++i;
      ++j;
    }
  }
  if ((i < a.size()) != (j < b.size())) return j < b.size();
  return a < b;  // equal in value ("tty01" vs "tty1"): keep the order strict
}

void SortForNumbering(std::vector<PortInfo>& ports) {
  std::stable_sort(ports.begin(), ports.end(), [](const PortInfo& x, const PortInfo& y) {
    if (x.Usb != y.Usb) return x.Usb;
    return NaturalLess(x.Device, y.Device);
  });
}

std::optional<std::string> ResolvePortName(std::string_view name, const PortMappings& mappings,
                                           const std::vector<PortInfo>& ports, bool windowsNames) {
  if (const auto mapped = mappings.find(name); mapped != mappings.end()) {
    return windowsNames ? WindowsDevicePath(mapped->second) : mapped->second;
  }
  const std::optional<int> number = PortNumber(name);
  if (!number) return std::nullopt;
  if (windowsNames) return "\\\\.\\COM" + std::to_string(*number);
  std::vector<PortInfo> sorted = ports;
  SortForNumbering(sorted);
  if (static_cast<std::size_t>(*number) > sorted.size()) return std::nullopt;
  return sorted[static_cast<std::size_t>(*number) - 1].Device;
}

}  // namespace ptpdiag
