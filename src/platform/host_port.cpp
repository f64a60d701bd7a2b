#include "platform/host_port.h"

#include <charconv>

namespace ptpdiag {
namespace {

constexpr std::string_view kLocalhost = "localhost";

// Four decimal numbers 0 to 255 with dots between them, no leading zeros.
bool IsDottedQuad(std::string_view host) {
  for (int part = 0; part < 4; ++part) {
    const std::size_t dot = host.find('.');
    const std::string_view number = part < 3 ? host.substr(0, dot) : host;
    if ((part < 3) == (dot == std::string_view::npos)) return false;
    if (number.empty() || number.size() > 3 || (number.size() > 1 && number[0] == '0')) {
      return false;
    }
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || end != number.data() + number.size() || value > 255) return false;
    if (part < 3) host.remove_prefix(dot + 1);
  }
  return true;
}

std::optional<std::uint16_t> Port(std::string_view text, bool allowZero) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value > 65535 || (value == 0 && !allowZero)) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

std::optional<HostPort> Parse(std::string_view host, std::string_view port, bool allowZero) {
  const auto number = Port(port, allowZero);
  if (!number || (host != kLocalhost && !IsDottedQuad(host))) return std::nullopt;
  return HostPort{std::string(host), *number};
}

}  // namespace

std::optional<SplitAddress> SplitHostPort(std::string_view text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return std::nullopt;
  return SplitAddress{text.substr(0, colon), text.substr(colon + 1)};
}

std::optional<HostPort> ParseHostPort(std::string_view text) {
  const auto split = SplitHostPort(text);
  if (!split) return std::nullopt;
  return Parse(split->Host, split->Port, false);
}

std::optional<HostPort> ParseListenAddress(std::string_view text) {
  const auto split = SplitHostPort(text);
  if (!split) return Parse(kDefaultListenHost, text, true);
  return Parse(split->Host, split->Port, true);
}

std::string HostPortText(const HostPort& address) {
  return address.Host + ":" + std::to_string(address.Port);
}

std::string NumericHost(const HostPort& address) {
  return address.Host == kLocalhost ? "127.0.0.1" : address.Host;
}

}  // namespace ptpdiag
