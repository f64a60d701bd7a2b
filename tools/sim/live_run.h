// The live outputs of ptpdiag-sim (--out pty, tcp, udp) as a function.
#pragma once

#include <ostream>

#include "platform/network.h"
#include "sim_options.h"

namespace ptpdiag::sim {

// Opens the output the options name on `network` (pty: Linux only),
// prints where to connect on `out` ("pty /dev/pts/N" or "listening
// HOST:PORT", flushed; nothing for udp), streams in real time until the
// duration runs out or a stop request arrives (StopRequest), then prints
// one summary line on `err`. Returns the exit code: 0, or 1 when the output
// cannot be opened (one error line on `err`).
int RunLive(const SimOptions& options, Network& network, std::ostream& out, std::ostream& err);

}  // namespace ptpdiag::sim
