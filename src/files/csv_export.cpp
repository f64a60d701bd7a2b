#include "files/csv_export.h"

#include <charconv>
#include <cstdio>

#include "files/radio_file.h"
#include "state/app_context.h"
#include "state/civil_time.h"
#include "state/figures.h"

namespace ptpdiag {
namespace {

// `v` with at most `decimals` decimals, without trailing zeros; '.' always.
std::string Decimal(double v, int decimals) {
  char text[64];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return {};
  std::string s(text, end);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  return s == "-0" ? "0" : s;
}

std::string Optional(const std::optional<double>& v) {
  return v ? Decimal(*v, 4) : "";
}

std::string ChannelRow(const DiagnosticsStore& s, int c) {
  const ChannelFigures f = FiguresOfChannel(s, c);
  std::string row = std::to_string(c) + "," + Decimal(f.FrequencyMHz, 4);
  if (!f.Reached) return row + ",,,,,,\r\n";
  row += "," + Optional(f.SignalDbm) + "," + Decimal(f.NoiseDbm, 4) + "," + Optional(f.PeakNoiseDbm);
  row += "," + Decimal(f.GoodPercent, 4) + "," + Optional(f.Vswr) + "," + Optional(f.CurrentMa);
  return row + "\r\n";
}

std::string IsoTime(const ZonedTime& t) {
  char text[40];
  const int offset = t.UtcOffsetSeconds;
  const int magnitude = offset < 0 ? -offset : offset;
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.Local.Year,
                t.Local.Month, t.Local.Day, t.Local.Hour, t.Local.Minute, t.Local.Second,
                offset < 0 ? '-' : '+', magnitude / 3600, magnitude / 60 % 60);
  return text;
}

std::string HistoryRow(const DiagnosticsStore& s, const Clock& zone, const LocalDateTime& origin,
                       int j) {
  const SlotFigures f = FiguresOfSlot(s, j);
  std::string row = IsoTime(ZonedAfter(zone, origin, f.Seconds)) + "," + std::to_string(f.Seconds);
  row += "," + Optional(f.SignalDbm) + "," + Decimal(f.NoiseDbm, 4);
  row += "," + Decimal(f.ErrorPercent, 4) + "," + Decimal(f.XmitKBps, 3) + "," + Decimal(f.RcvdKBps, 3);
  row += "," + std::to_string(f.GoodHops) + "," + std::to_string(f.MissedHops);
  return row + "\r\n";
}

}  // namespace

std::string ChannelsCsv(const DiagnosticsStore& s) {
  std::string csv =
      "channel,frequency_MHz,signal_dBm,noise_dBm,peak_noise_dBm,good_reception_percent,"
      "vswr,current_mA\r\n";
  for (int c = kFirstShownChannel; c <= kLastShownChannel; ++c)
    csv += ChannelRow(s, c);
  return csv;
}

std::string HistoryCsv(const DiagnosticsStore& s, const Clock& zone, const LocalDateTime& origin) {
  std::string csv =
      "time_local,seconds_since_start,signal_dBm,noise_dBm,error_percent,xmit_kB_per_s,"
      "rcvd_kB_per_s,good_hops,missed_hops\r\n";
  for (int j = 1; j <= s.HistIndex && j <= kLastHistorySlot; ++j)
    csv += HistoryRow(s, zone, origin, j);
  return csv;
}

std::string CsvBaseName(const std::string& path) {
  if (path.size() < 4) return path;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return tail == ".csv" ? path.substr(0, path.size() - 4) : path;
}

std::optional<std::string> ExportCsv(const AppContext& app, const std::string& name) {
  const std::string channels = name + "-channels.csv";
  if (const auto failure = WriteFileReplacing(channels, ChannelsCsv(app.Store))) {
    return channels + ": " + *failure;
  }
  const std::string history = name + "-history.csv";
  const std::string text = HistoryCsv(app.Store, app.SystemClock, app.Elapsed.OriginLocal());
  if (const auto failure = WriteFileReplacing(history, text)) return history + ": " + *failure;
  return std::nullopt;
}

}  // namespace ptpdiag
