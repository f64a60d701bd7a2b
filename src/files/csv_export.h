// The link's figures as CSV files for a spreadsheet (RFC 4180: commas, CR
// LF, a header row with the units in the names, '.' as the decimal point
// whatever the locale): one row per channel 1..111 in NAME-channels.csv,
// one per history slot in NAME-history.csv, in the units the screens show;
// the channel quality per channel in NAME-quality.csv, and its waterfall
// rows in NAME-waterfall-noise.csv, -signal.csv and -misses.csv.
#pragma once

#include <optional>
#include <string>

#include "platform/clock.h"
#include "quality/channel_quality.h"

namespace ptpdiag {

struct AppContext;
struct DiagnosticsStore;

// Channel, its frequency on the screens' axis, signal, noise and peak
// noise in dBm, good receptions in %, VSWR and current as the legends show
// them. A channel no frame reached has its values empty.
std::string ChannelsCsv(const DiagnosticsStore& s);

// Slots 1..HistIndex: local time in ISO 8601 with its UTC offset (the
// slot's seconds after `origin`, in `zone`), the seconds, signal and noise
// in dBm, error %, transmit and receive kB/s, good and missed hops of the
// period the slot closed.
std::string HistoryCsv(const DiagnosticsStore& s, const Clock& zone, const LocalDateTime& origin);

// One row per channel 1..111 with the report's figures; empty where a
// figure has no data, flagged as 1 or 0.
std::string QualityCsv(const QualityFigures& figures);

// One row per waterfall row: its start as local time in ISO 8601 with its
// UTC offset, its length in seconds, then one column per channel (the
// loudest noise or the mean signal in dBm, or the share of missed hops),
// empty where the channel had no visit.
std::string WaterfallCsv(const Waterfall& waterfall, WaterfallLayer layer, const Clock& zone,
                         const LocalDateTime& origin);

// NAME for a path the user gave: a final ".csv" (any case) is dropped.
std::string CsvBaseName(const std::string& path);

// Writes NAME-channels.csv, NAME-history.csv, NAME-quality.csv and the
// three waterfall files; the reason, naming the file, when one cannot be
// written.
[[nodiscard]] std::optional<std::string> ExportCsv(const AppContext& app, const std::string& name);

}  // namespace ptpdiag
