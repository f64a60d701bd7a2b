// The sound device through waveOut (winmm): a few short buffers, refilled
// from the source on a thread of their own as the device plays them.
#pragma once

#include <memory>

#include "platform/sound_out.h"

namespace ptpdiag {

std::unique_ptr<SoundOut> MakeWaveOut();

}  // namespace ptpdiag
