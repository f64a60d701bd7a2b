// The network links' sockets on POSIX systems: the shared socket code over
// the POSIX calls (posix_sockets.cpp).
#pragma once

#include "platform/sockets/socket_core.h"

namespace ptpdiag {

class PosixNetwork final : public SocketNetwork {};

}  // namespace ptpdiag
