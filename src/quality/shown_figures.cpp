#include "quality/shown_figures.h"

namespace ptpdiag {

const QualityFigures& ShownFigures::At(const ChannelQuality& quality, std::int64_t sessionMs) {
  // A clock that stepped back (a new session's origin) takes them afresh too.
  const bool stale = !figures_ || sessionMs - takenMs_ >= kShownFiguresMs ||
                     sessionMs < takenMs_ || quality.Visits() > 2 * takenVisits_;
  if (stale) {
    figures_ = quality.Figures();
    takenMs_ = sessionMs;
    takenVisits_ = quality.Visits();
  }
  return *figures_;
}

}  // namespace ptpdiag
