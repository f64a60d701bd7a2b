// The commissioning report: everything a link is signed off with, gathered
// at the end of a session (live or replayed) into one value, then written
// as a self-contained HTML page and as its twin JSON. Every figure is
// rebuilt from the session's frames, so a replay of its recording writes
// the same report but for the line that says when it was generated.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "alignment/alignment_meter.h"
#include "quality/channel_quality.h"
#include "report/link_grades.h"
#include "report/report_profile.h"

namespace ptpdiag {

struct ReportField {
  std::string Key;
  std::string Value;
};

struct ReportPhoto {
  std::string File;  // the name it was given by
  std::string Mime;  // "image/jpeg" or "image/png"
  std::string Bytes;
  int Width = 0;
  int Height = 0;
};

struct ReportAlarm {
  std::string Name;
  std::string Figure;  // "level", ...
  std::string Raised;  // ISO 8601 times
  std::string RaisedValue;  // with its unit
  std::optional<std::string> Cleared;
  std::optional<std::string> ClearedValue;
};

// One history slot, as the history CSV gives it.
struct ReportSlot {
  std::int32_t Seconds = 0;
  std::optional<double> SignalDbm;
  double NoiseDbm = 0;
  double ErrorPct = 0;
};

// The recording the report was made from and how to make it again.
struct ReportCapture {
  std::string File;
  std::string Sha256;  // empty while the recording is still being made
  std::string Command;
};

struct LinkReport {
  std::string Program;    // "ptpdiag 1.2.3"
  std::string Generated;  // ISO 8601, when the report was written
  std::string Link;       // "UDP port 4131", ...
  std::string Start, End;
  ReportProfile Profile;
  std::size_t WindowTicks = 0;
  std::optional<std::string> WindowFrom, WindowTo;
  LinkGrades Grades;
  QualityFigures Quality;
  AlignmentFigures Alignment;
  std::string AlignmentBest;  // when the best was reached
  std::vector<ReportAlarm> Alarms;
  std::array<std::string, 5> Screens;  // inline svg elements
  std::vector<ReportSlot> History;
  std::vector<ReportField> Fields;
  std::vector<ReportPhoto> Photos;
  std::optional<ReportCapture> Capture;  // none when the session was not recorded
};

std::string LinkReportJson(const LinkReport& report);
std::string LinkReportHtml(const LinkReport& report);

// The channels the report lists as worst: flagged first, then by the
// share of visits interfered, then by good hops; at most `count`.
std::vector<QualityOfChannel> WorstChannels(const QualityFigures& quality, std::size_t count);

// FILE.html's twin: FILE.json (the name's .html or .htm replaced).
std::string TwinJsonPath(const std::string& htmlPath);

// `text` with every byte sequence that is not UTF-8 replaced by '?', so a
// field typed in any code page makes a valid page.
std::string ValidUtf8(std::string_view text);

}  // namespace ptpdiag
