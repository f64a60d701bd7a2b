// The footer's connection line, just above the status bar: which link is
// open ("Com1  Opened", "TCP 192.168.1.20:4000  Opened", "UDP 4131
// Opened") or "No Connection", and, while an open link has passed no frame
// for 3 s or more, how long ("  no data 12 s") in red.
#pragma once

#include <string>

#include "state/link_state.h"

namespace ptpdiag {

struct AppContext;

// An open link passing no frame this long is shown as stale.
inline constexpr std::int64_t kStaleAfterMs = 3000;
// The line stays left of the link event line at x = 500.
inline constexpr std::size_t kConnectionColumns = 50;

struct ConnectionLine {
  std::string State;  // in the connection blue
  std::string Stale;  // empty, or "  no data N s"
};

// What the line says now; a long TCP address is shortened so the line
// fits its 50 columns.
ConnectionLine DescribeConnection(const AppContext& app);

// Draws the line at x = 0 on the footer's row, blanks after it up to
// column 50 (so a shorter line wipes a longer one), leaving the text colour
// as it was.
void DrawConnectionLine(AppContext& app);

}  // namespace ptpdiag
