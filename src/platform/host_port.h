// "HOST:PORT" addresses, as the options and the simulator take them: one
// set of rules for --tcp, --metrics and the simulator's outputs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ptpdiag {

inline constexpr std::string_view kDefaultListenHost = "127.0.0.1";

// An IPv4 host, kept as written ("localhost" or a dotted quad), and a port.
struct HostPort {
  std::string Host;
  std::uint16_t Port = 0;
  bool operator==(const HostPort&) const = default;
};

// "HOST:PORT" split at its last colon, the host and the port's text as
// written, checked no further (a radio's address may be a name, its port
// text is read as the link reads it); nothing without a colon.
struct SplitAddress {
  std::string_view Host;
  std::string_view Port;
};
std::optional<SplitAddress> SplitHostPort(std::string_view text);

// Parses "HOST:PORT" with HOST a dotted IPv4 address or "localhost" and
// PORT 1 to 65535. Nothing when the text is not such an address.
[[nodiscard]] std::optional<HostPort> ParseHostPort(std::string_view text);

// Parses "[HOST:]PORT" for listening: HOST defaults to 127.0.0.1 and PORT
// may be 0 (the system picks a free one).
[[nodiscard]] std::optional<HostPort> ParseListenAddress(std::string_view text);

// "HOST:PORT".
std::string HostPortText(const HostPort& address);

// The dotted address of a host one of the parsers accepted: "localhost" is
// 127.0.0.1; no name lookups, the simulator talks to this machine or a
// fixed address.
std::string NumericHost(const HostPort& address);

}  // namespace ptpdiag
