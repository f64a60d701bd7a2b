// Screen 2: signal, noise, peak noise and good-hop share per hop channel.
#pragma once

#include "state/diagnostics_store.h"
#include "state/reference_recording.h"
#include "state/window_state.h"

namespace ptpdiag {

// With a recording to compare, its curves dotted under the live ones.
void DrawSignalFrequencyScreen(WindowState& w, const DiagnosticsStore& store,
        const ReferenceRecording* reference = nullptr);

}  // namespace ptpdiag
