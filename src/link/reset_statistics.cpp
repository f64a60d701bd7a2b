#include "link/reset_statistics.h"

#include "state/app_context.h"
#include "state/time_base.h"

namespace ptpdiag {

void ResetStatistics(AppContext& app) {
  app.Store.StartSeconds = ClockSeconds(app.SystemClock.LocalNow());
  app.Elapsed.Restart(app.SystemClock);
  ResetHistoryAndTables(app.Store);
  app.Quality.Reset();
  app.QualityShown.Clear();
  app.Alignment.Reset();
  app.Tone.Reset();
  app.Alarms.Reset();
  app.Transmitter.Reset();
  app.Samples.Clear();
  app.QuietSinceMs = 0;
  RefreshClientRect(app.Window);
  RepaintNow(app.Window, true);
}

}  // namespace ptpdiag
