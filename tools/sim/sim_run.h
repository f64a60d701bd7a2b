// The ptpdiag-sim program as a function, so tests can run it in-process.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/network.h"
#include "sim_options.h"

namespace ptpdiag::sim {

// The hops of the run: every hop whose time is before the duration's end.
std::int64_t DurationMs(const SimOptions& options);

// Writes the capture the options describe, with `comments` at the top.
void WriteCapture(const SimOptions& options, const std::vector<std::string>& comments,
                  std::ostream& out);

// The command as a shell would take it back: arguments quoted when needed.
std::string CommandLineText(std::span<const std::string_view> args);

// Parses `args` (without the program name) and runs; returns the exit code.
// A capture goes to `out` unless --file names a file; a live output opens
// on `network` and says on `out` where to connect (see RunLive). Errors go
// to `err`.
int RunSim(std::span<const std::string_view> args, Network& network, std::ostream& out,
           std::ostream& err);

}  // namespace ptpdiag::sim
