// The dialog before a report from the menu: the site's details, one line
// each, and the photos, as the options --report-field and --photo give
// them at start.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace ptpdiag {

struct AppContext;

using ReportFields = std::vector<std::pair<std::string, std::string>>;

struct DetailRow {
  std::string Key;
  std::string Value;
};

inline constexpr std::size_t kMostDetailRows = 12;

// The dialog's lines: the details given, in order, then the usual ones
// not among them (blank), twelve at most.
std::vector<DetailRow> DetailRows(const ReportFields& fields);

// The details once `rows` (from DetailRows(before)) are edited: each row
// with a value that is not blank, then the details beyond the rows as
// they were.
ReportFields EditedFields(const std::vector<DetailRow>& rows, const ReportFields& before);

// Shows the dialog; on OK the edits replace app.Site. False when cancelled
// or when the window has no dialogs.
bool AskSiteDetails(AppContext& app);

}  // namespace ptpdiag
