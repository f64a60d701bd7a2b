// The live outputs of ptpdiag-sim (--out pty, tcp, udp) as a function.
#pragma once

#include <ostream>

#include "sim/sim_options.h"

namespace ptpdiag::sim {

// Opens the output the options name, prints where to connect on `out`
// ("pty /dev/pts/N" or "listening HOST:PORT", flushed; nothing for udp),
// streams in real time until the duration runs out or SIGINT or SIGTERM
// arrives, then prints one summary line on `err`. Returns the exit code:
// 0, or 1 when the output cannot be opened (one error line on `err`).
int RunLive(const SimOptions& options, std::ostream& out, std::ostream& err);

}  // namespace ptpdiag::sim
