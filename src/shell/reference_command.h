// File -> Compare With Recording...: a recording chosen by the user is
// replayed on a thread of its own, and its channels are drawn under the
// live ones on screens 1 and 2 until the command is chosen again.
#pragma once

#include <string>

#include "platform/window.h"
#include "state/reference_recording.h"

namespace ptpdiag {

struct AppContext;

LRESULT CommandCompareWithRecording(AppContext& app);

// The recording at `path` replayed whole; stops early when `cancel` is set.
ReferenceResult ReadReferenceRecording(const std::string& path, const std::atomic<bool>& cancel);

// Once a tick: takes a reference that has finished loading, says so (or
// why it could not be read); true when the screens must be drawn again.
bool TakeLoadedReference(AppContext& app);

}  // namespace ptpdiag
