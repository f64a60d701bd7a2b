// Screen 1: transmitter VSWR and current per hop channel.
#pragma once

#include "state/diagnostics_store.h"
#include "state/reference_recording.h"
#include "state/window_state.h"

namespace ptpdiag {

// With a recording to compare, its curves dotted under the live ones.
void DrawTransmitterScreen(WindowState& w, const DiagnosticsStore& store,
        const ReferenceRecording* reference = nullptr);

}  // namespace ptpdiag
