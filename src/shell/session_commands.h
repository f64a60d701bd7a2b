// The File menu's commands beyond radio files (recording the link, the
// figures as CSV, a picture of the window) and the menu's check marks and
// grey items, set as a pop-up opens.
#pragma once

#include "platform/messages.h"

namespace ptpdiag {

struct AppContext;

// Record...: asks for a capture file and records into it; while
// recording, ends the recording instead.
LRESULT CommandRecord(AppContext& app);
// Stop Recording: ends the recording, if any.
LRESULT CommandStopRecording(AppContext& app);
// Each save asks for its name with the save policy of shell/save_prompt.

// Export CSV...: asks for a name and writes NAME-channels.csv and
// NAME-history.csv.
LRESULT CommandExportCsv(AppContext& app);
// Save Picture...: asks for a PNG file and saves the client area as shown.
LRESULT CommandSavePicture(AppContext& app);
// Asks where, then writes the commissioning report of the session so far
// (and its twin JSON) through the application's report writer.
LRESULT CommandLinkReport(AppContext& app);

// WM_INITMENUPOPUP: Record is checked while recording and Stop Recording
// grey while not; Close Network is grey while no network link is open.
void UpdateMenuStates(AppContext& app);

}  // namespace ptpdiag
