// The footer's connection line, just above the status bar: which link is
// open and whether bytes can come over it ("Com1  Opened", "TCP
// 10.0.0.7:4000  refused, retry in 8 s", "Com1  device gone, waiting for
// it", "UDP 4131  Opened  (demo radio)") or "No Connection"; while an open
// link has passed no frame for 3 s or more, how long ("  no data 12 s") in
// red; and a red "REC" near its right end while recording.
#pragma once

#include <string>

#include "state/link_state.h"

namespace ptpdiag {

struct AppContext;

// An open link passing no frame this long is shown as stale.
inline constexpr std::int64_t kStaleAfterMs = 3000;
// The line stays left of the link event line at x = 500: the state in
// the first 45 columns, then a blank, "REC" (or blanks) and a blank.
inline constexpr std::size_t kConnectionColumns = 50;
inline constexpr std::size_t kConnectionStateColumns = 45;
inline constexpr int kRecordMarkColumn = 47;

struct ConnectionLine {
  std::string State;  // in the connection blue
  std::string Stale;  // empty, or "  no data N s"
  bool Recording = false;
};

// What the line says now; a long TCP address is shortened so that state
// and stale time fit their 45 columns.
ConnectionLine DescribeConnection(const AppContext& app);

// Draws the line at x = 0 on the footer's row, every one of its 50
// columns (so any shorter text wipes a longer one), leaving the text
// colour as it was; and keeps the recording's name in the status bar's
// note (ShowRecordingNote).
void DrawConnectionLine(AppContext& app);

// The status bar's note names the file being recorded ("REC a.cap") and
// the recording compared with ("vs before.cap"); empty while neither is.
void ShowRecordingNote(AppContext& app);

}  // namespace ptpdiag
