// The network links' sockets on Windows (Winsock 2): the shared socket code
// over the Winsock calls (winsock_sockets.cpp). The TCP connection waits on
// socket events with a wake-up event beside them; the UDP socket reaches
// the window as message 961 through WSAAsyncSelect.
#pragma once

#include "platform/sockets/socket_core.h"

namespace ptpdiag {

class WinsockNetwork final : public SocketNetwork {
 public:
  WinsockNetwork();  // WSAStartup
  ~WinsockNetwork() override;
  WinsockNetwork(const WinsockNetwork&) = delete;
  WinsockNetwork& operator=(const WinsockNetwork&) = delete;

 private:
  bool started_ = false;
};

}  // namespace ptpdiag
