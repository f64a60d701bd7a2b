#include "link/reset_statistics.h"

#include "link/time_base.h"
#include "shell/app_context.h"

namespace ptpdiag {

void ResetStatistics(AppContext& app) {
  app.Store.StartSeconds = ClockSeconds(app.SystemClock.LocalNow());
  app.Elapsed.Restart(app.SystemClock);
  ResetHistoryAndTables(app.Store);
  RefreshClientRect(app.Window);
  RepaintNow(app.Window, true);
}

}  // namespace ptpdiag
