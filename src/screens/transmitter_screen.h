// Screen 1: transmitter VSWR and current per hop channel.
#pragma once

#include "state/diagnostics_store.h"
#include "state/window_state.h"

namespace ptpdiag {

void DrawTransmitterScreen(WindowState& w, const DiagnosticsStore& store);

}  // namespace ptpdiag
