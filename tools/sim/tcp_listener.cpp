#include "sim/tcp_listener.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace ptpdiag::sim {

std::optional<TcpListener> TcpListener::Open(const HostPort& address, std::string& error) {
  UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  const int yes = 1;
  sockaddr_in socketAddress = SocketAddress(address);
  socklen_t length = sizeof socketAddress;
  // Reusing the address lets the simulator restart at once on the same port.
  if (!fd.Valid() || ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0 ||
      ::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&socketAddress), length) != 0 ||
      ::listen(fd.Get(), 4) != 0 ||
      ::getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&socketAddress), &length) != 0) {
    error = "cannot listen on " + HostPortText(address) + ": " + std::strerror(errno);
    return std::nullopt;
  }
  HostPort bound = address;
  bound.Port = ntohs(socketAddress.sin_port);
  return TcpListener(std::move(fd), std::move(bound));
}

}  // namespace ptpdiag::sim
