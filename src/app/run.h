// The two ways the program runs: headless (no window; exits by itself) and
// with its window on screen, each on the backend it is given.
#pragma once

#include "app/backend.h"
#include "app/options.h"

#include <optional>
#include <span>
#include <string_view>

namespace ptpdiag {

// Exit code of a headless live run whose link did not open.
inline constexpr int kExitLinkFailed = 3;
// Exit code of a headless live run whose link opened but passed no good
// frame in the whole run.
inline constexpr int kExitNoFrames = 4;

// Reads the command line (without the program name). Nothing when the
// program is to run with `options`; otherwise the exit code, after the
// help on standard output (0) or one error line on standard error (2).
std::optional<int> ReadCommandLine(std::span<const std::string_view> args, Options& options);

// --list-ports with the backend's serial driver and the --port mappings;
// returns the exit code.
int RunListPorts(const Options& options, AppBackend& backend);

// Returns the process exit code.
int RunHeadless(const Options& options, AppBackend& backend);

// --compare: both recordings replayed and their figures compared.
int RunCompare(const Options& options, AppBackend& backend);

// Runs the backend's event loop until the window ends.
int RunWindowed(const Options& options, AppBackend& backend);

}  // namespace ptpdiag
