// Recording the session the program runs: started by --record or by the
// Record command, on the same time axis as the statistics, so a replay
// rebuilds the history, and finished at exit or by Record again.
#pragma once

#include <optional>
#include <string>

namespace ptpdiag {

struct AppContext;
class CaptureRecorder;

// Makes `recorder` the session's recording; it starts at once when
// `begin`, else at BeginRecording (once the window has set the time
// origin).
void AdoptRecording(AppContext& app, CaptureRecorder&& recorder, bool begin);
void BeginRecording(AppContext& app);

// A new capture file at `path`, recorded from now on; the reason when it
// cannot be made. An existing file is overwritten only when
// `replaceExisting` (the user said so).
[[nodiscard]] std::optional<std::string> StartRecording(AppContext& app, const std::string& path,
                                          bool replaceExisting = false);

bool IsRecording(const AppContext& app);

// Finishes the session's recording, if any. The reason, naming the file,
// when the recording stopped on a write error or could not be completed.
[[nodiscard]] std::optional<std::string> StopRecording(AppContext& app);

}  // namespace ptpdiag
