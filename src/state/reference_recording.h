// A recording loaded for comparison in the window: its per-channel tables,
// drawn as dotted curves under the live ones on screens 1 and 2. It is
// read on a thread of its own, so a long one does not hold the window.
#pragma once

#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <variant>

#include "state/diagnostics_store.h"

namespace ptpdiag {

struct ReferenceRecording {
  std::string Name;  // the file's name, for the status bar
  ChannelTable FreqSignal{};
  ChannelTable FreqNoise{};
  ChannelTable FreqVswr{};
  ChannelTable FreqCurrent{};
};

// The recording, or why it could not be read.
using ReferenceResult = std::variant<ReferenceRecording, std::string>;

struct ReferenceLoading {
  std::future<ReferenceResult> Result;
  // Set to end the reading early (the program ends, another is chosen).
  std::shared_ptr<std::atomic<bool>> Cancel = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace ptpdiag
