// Screen 2: signal, noise, peak noise and good-hop share per hop channel.
#pragma once

#include "state/diagnostics_store.h"
#include "state/window_state.h"

namespace ptpdiag {

void DrawSignalFrequencyScreen(WindowState& w, const DiagnosticsStore& store);

}  // namespace ptpdiag
