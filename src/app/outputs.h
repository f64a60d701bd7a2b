// What a run leaves behind at exit: the store as JSON and a repaint of the
// selected screen as SVG or PNG.
#pragma once

#include <optional>
#include <string>

#include "app/alignment_outputs.h"
#include "app/backend.h"
#include "app/link_report_output.h"
#include "app/options.h"
#include "platform/backed_window.h"

namespace ptpdiag {

struct AppContext;

// Writes `content` to `path`; an error line on failure.
std::optional<std::string> WriteTextFile(const std::string& path, const std::string& content);

// One full repaint (erase, then the paint sequence) of the selected screen
// into `canvas`; drawing returns to the window's own canvas afterwards.
void RepaintInto(BackedWindow& window, Canvas& canvas);

// Screen `number` (1 to 5) as an SVG document, drawn as it stands; the
// window's own screen is selected again afterwards.
std::string ScreenAsSvg(AppContext& app, BackedWindow& window, int number);

// One full repaint of the selected screen into `path`: the draw operations
// as SVG, or the pixels as PNG (drawn by the backend).
std::optional<std::string> WriteSnapshot(BackedWindow& window, const std::string& path,
                                         AppBackend& backend, int scale = 1);

// Whether every file the options ask to write at exit (report, snapshot,
// the two CSV files) can be written, tried now rather than after an hour's
// run: a missing folder, a file this user may not write, a folder named as
// a file. One line naming the file when one cannot.
std::optional<std::string> CheckOutputPaths(const Options& options);

// Completes the alignment outputs, then writes the report and the
// snapshot the options ask for; returns the exit status (0, or 1 when a
// file could not be written, said on stderr).
int WriteRequestedOutputs(AppContext& app, BackedWindow& window, const Options& options,
                          AppBackend& backend, AlignmentOutputs& alignment, const ReportSource& source);

}  // namespace ptpdiag
