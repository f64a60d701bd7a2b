#include "files/csv_export.h"

#include <charconv>
#include <cstdio>

#include "files/radio_file.h"
#include "state/app_context.h"
#include "state/civil_time.h"

namespace ptpdiag {
namespace {

constexpr int kFirstChannel = 1;
constexpr int kLastChannel = 111;

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

// The x of channel i on the frequency panel, before rounding to a pixel,
// and the frequency the axis gives there: 900 MHz at x 100, 5 MHz a grid
// step of 100 pixels.
double ChannelMHz(int i) {
  const double x = 144.0 + static_cast<double>(4.608F) * i;
  return 900.0 + (x - 100.0) / 20.0;
}

// A level stored as (128 - level byte), times `scale`, in dBm.
double Dbm(std::int32_t stored, double scale) {
  return stored / scale - 128.0;
}

std::string ChannelRow(const DiagnosticsStore& s, int c) {
  const auto i = static_cast<std::size_t>(c);
  std::string row = std::to_string(c) + "," + Decimal(ChannelMHz(c), 4);
  if (s.FreqNoise[i] == 0) return row + ",,,,,,\r\n";  // no frame reached it
  const auto orEmpty = [](bool present, const std::string& text) { return present ? text : ""; };
  row += "," + orEmpty(s.FreqSignal[i] != 0, Decimal(Dbm(s.FreqSignal[i], 16.0), 4));
  row += "," + Decimal(Dbm(s.FreqNoise[i], 16.0), 4);
  row += "," + orEmpty(s.FreqPeakNoise[i] != 0, Decimal(Dbm(s.FreqPeakNoise[i], 1.0), 4));
  row += "," + Decimal(s.FreqGoodScore[i] / 10.0, 4);
  row += "," + orEmpty(s.FreqVswr[i] != 0, Decimal(s.FreqVswr[i] / 16.0, 4));
  row += "," + orEmpty(s.FreqCurrent[i] != 0, Decimal(s.FreqCurrent[i] / 8.0, 4));
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

// Slot j's row. A slot's averages are its own; the counts of the period
// it closed are kept in the slot before it.
std::string HistoryRow(const DiagnosticsStore& s, const Clock& zone, const LocalDateTime& origin,
                       int j) {
  const auto now = static_cast<std::size_t>(j);
  const std::size_t counts = now - 1;
  const std::int64_t dt = static_cast<std::int64_t>(s.HistTime[now]) - s.HistTime[counts];
  const double seconds = dt > 0 ? static_cast<double>(dt) : 1.0;
  std::string row = IsoTime(ZonedAfter(zone, origin, s.HistTime[now]));
  row += "," + std::to_string(s.HistTime[now]);
  row += "," + (s.HistGoodCount[counts] > 0 ? Decimal(s.HistSignal[now] - 128.0, 4) : "");
  row += "," + Decimal(s.HistNoise[now] - 128.0, 4);
  row += "," + Decimal(s.HistErrorRate[now] / 2.56, 4);
  row += "," + Decimal(s.HistXmit[counts] / seconds / 1000.0, 3);
  row += "," + Decimal(s.HistRcvd[counts] / seconds / 1000.0, 3);
  row += "," + std::to_string(s.HistGoodCount[counts]);
  row += "," + std::to_string(s.HistMissCount[counts]);
  return row + "\r\n";
}

}  // namespace

std::string ChannelsCsv(const DiagnosticsStore& s) {
  std::string csv =
      "channel,frequency_MHz,signal_dBm,noise_dBm,peak_noise_dBm,good_reception_percent,"
      "vswr,current_mA\r\n";
  for (int c = kFirstChannel; c <= kLastChannel; ++c)
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
