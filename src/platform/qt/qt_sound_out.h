// The sound device through Qt Multimedia: an audio sink that pulls the
// samples from the source as it plays.
#pragma once

#include <memory>

#include "platform/sound_out.h"

namespace ptpdiag {

std::unique_ptr<SoundOut> MakeQtSoundOut();

}  // namespace ptpdiag
