// Restarting the statistics: new time base, empty time history and
// per-channel tables, and a full repaint.
#pragma once

namespace ptpdiag {

struct AppContext;

// Sets StartSeconds from the clock, restarts the elapsed count, clears the
// history's signal, noise, error rate, index and times and the six
// per-channel tables, then repaints the whole window with erasing before
// returning. The period accumulators, shown values, the other history
// series and the link event counters run on.
void ResetStatistics(AppContext& app);

}  // namespace ptpdiag
