#include "sim/host_port.h"

#include <arpa/inet.h>

#include <charconv>

namespace ptpdiag::sim {
namespace {

// No name lookups: the simulator talks to this machine or a fixed address.
std::optional<in_addr> HostAddress(std::string_view host) {
  if (host == "localhost") host = "127.0.0.1";
  const std::string text(host);
  in_addr address{};
  if (::inet_pton(AF_INET, text.c_str(), &address) != 1) return std::nullopt;
  return address;
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
  if (!number || !HostAddress(host)) return std::nullopt;
  return HostPort{std::string(host), *number};
}

}  // namespace

std::optional<HostPort> ParseHostPort(std::string_view text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return std::nullopt;
  return Parse(text.substr(0, colon), text.substr(colon + 1), false);
}

std::optional<HostPort> ParseListenAddress(std::string_view text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return Parse(kDefaultListenHost, text, true);
  return Parse(text.substr(0, colon), text.substr(colon + 1), true);
}

std::string HostPortText(const HostPort& address) {
  return address.Host + ":" + std::to_string(address.Port);
}

sockaddr_in SocketAddress(const HostPort& address) {
  sockaddr_in socketAddress{};
  socketAddress.sin_family = AF_INET;
  socketAddress.sin_port = htons(address.Port);
  socketAddress.sin_addr = HostAddress(address.Host).value_or(in_addr{htonl(INADDR_LOOPBACK)});
  return socketAddress;
}

}  // namespace ptpdiag::sim
