// The figures a screen shows. Finding periods reads every flagged
// channel's recent visits, too much for each tick's repaint, so the
// figures are taken again only once 10 s of session time have passed, or
// the visits have more than doubled (a young session's figures move fast).
#pragma once

#include <cstdint>
#include <optional>

#include "quality/channel_quality.h"

namespace ptpdiag {

inline constexpr std::int64_t kShownFiguresMs = 10000;

class ShownFigures {
 public:
  // The figures as of `sessionMs` (ms since the session began), taken
  // again when none are held, they are kShownFiguresMs old or the visits
  // have more than doubled since.
  const QualityFigures& At(const ChannelQuality& quality, std::int64_t sessionMs);
  // The next At takes them afresh (after a reset, or for a picture that
  // must show the figures of its moment).
  void Clear() { figures_.reset(); }

 private:
  std::optional<QualityFigures> figures_;
  std::int64_t takenMs_ = 0;
  std::uint64_t takenVisits_ = 0;
};

}  // namespace ptpdiag
