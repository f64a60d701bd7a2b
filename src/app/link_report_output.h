// Writing the commissioning report of a session, live or replayed: the
// figures from the session, the five screens as they stand, the site
// details from the options, and the recording it can be rebuilt from.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/backend.h"
#include "app/options.h"
#include "platform/backed_window.h"
#include "platform/clock.h"
#include "report/link_report.h"

namespace ptpdiag {

struct AppContext;

// The command that writes the same report again from `capture`, run in
// its folder.
std::string RebuildCommand(const Options& options, const std::string& capture);

struct ReportSource {
  std::string LinkName;                // empty: not known
  std::optional<std::string> Capture;  // the recording, when there is one
  bool CaptureOngoing = false;         // still being written: no SHA-256 yet
};

// Writes the HTML page and its twin JSON; an error line when one cannot be
// written. `now` says when.
std::optional<std::string> WriteLinkReport(AppContext& app, BackedWindow& window, const Options& options,
                                           const ReportSource& source, AppBackend& backend);

// The photos of the options, each scaled down to fit 1600 pixels; the
// first that cannot be used, with its name and why, when one cannot.
std::variant<std::vector<ReportPhoto>, std::string> LoadReportPhotos(const Options& options,
                                                                     AppBackend& backend);

}  // namespace ptpdiag
