#include "files/csv_export.h"

#include "files/csv_text.h"
#include "files/radio_file.h"
#include "state/app_context.h"
#include "state/civil_time.h"
#include "state/figures.h"

namespace ptpdiag {
namespace {

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

std::string HistoryRow(const DiagnosticsStore& s, const Clock& zone, const LocalDateTime& origin,
                       int j) {
  const SlotFigures f = FiguresOfSlot(s, j);
  std::string row = IsoTime(ZonedAfter(zone, origin, f.Seconds)) + "," + std::to_string(f.Seconds);
  row += "," + Optional(f.SignalDbm) + "," + Decimal(f.NoiseDbm, 4);
  row += "," + Decimal(f.ErrorPercent, 4) + "," + Decimal(f.XmitKBps, 3) + "," + Decimal(f.RcvdKBps, 3);
  row += "," + std::to_string(f.GoodHops) + "," + std::to_string(f.MissedHops);
  return row + "\r\n";
}

std::string Maybe(const std::optional<int>& v) {
  return v ? std::to_string(*v) : "";
}

std::string QualityRow(const QualityOfChannel& c) {
  std::string row = std::to_string(c.Channel) + "," + std::to_string(c.Visits);
  for (const auto& p : {c.NoiseP10Dbm, c.NoiseP50Dbm, c.NoiseP90Dbm, c.NoiseP99Dbm})
    row += "," + Maybe(p);
  for (const auto& v : {c.Duty, c.DutyLow, c.DutyHigh, c.PeriodS, c.GoodPct, c.SignalMeanDbm})
    row += "," + Optional(v);
  return row + (c.Flagged ? ",1\r\n" : ",0\r\n");
}

std::string CellText(const WaterfallCell& cell, WaterfallLayer layer) {
  switch (layer) {
    case WaterfallLayer::Noise:
      return Maybe(cell.NoiseMaxDbm());
    case WaterfallLayer::Signal:
      return Optional(cell.SignalMeanDbm());
    case WaterfallLayer::Misses:
      return Optional(cell.MissShare());
  }
  return {};
}

}  // namespace

std::string QualityCsv(const QualityFigures& figures) {
  std::string csv =
      "channel,visits,noise_p10_dBm,noise_p50_dBm,noise_p90_dBm,noise_p99_dBm,duty,duty_low,"
      "duty_high,period_s,good_percent,signal_mean_dBm,flagged\r\n";
  for (const QualityOfChannel& c : figures.Channels) csv += QualityRow(c);
  return csv;
}

std::string WaterfallCsv(const Waterfall& waterfall, WaterfallLayer layer, const Clock& zone,
                         const LocalDateTime& origin) {
  std::string csv = "start_local,length_s";
  for (int c = 1; c <= kWaterfallChannels; ++c) csv += ",channel_" + std::to_string(c);
  csv += "\r\n";
  const auto seconds = static_cast<std::int32_t>(waterfall.RowMs() / 1000);
  for (int r = 0; r < waterfall.Rows(); ++r) {
    const auto start = static_cast<std::int32_t>(waterfall.RowStartMs(r) / 1000);
    csv += IsoTime(ZonedAfter(zone, origin, start)) + "," + std::to_string(seconds);
    for (const WaterfallCell& cell : waterfall.Row(r)) csv += "," + CellText(cell, layer);
    csv += "\r\n";
  }
  return csv;
}

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
  const std::string quality = name + "-quality.csv";
  if (const auto failure = WriteFileReplacing(quality, QualityCsv(app.Quality.Figures()))) {
    return quality + ": " + *failure;
  }
  static constexpr std::pair<const char*, WaterfallLayer> kLayers[] = {
      {"-waterfall-noise.csv", WaterfallLayer::Noise},
      {"-waterfall-signal.csv", WaterfallLayer::Signal},
      {"-waterfall-misses.csv", WaterfallLayer::Misses}};
  for (const auto& [suffix, layer] : kLayers) {
    const std::string file = name + suffix;
    const std::string rows =
        WaterfallCsv(app.Quality.Rows(), layer, app.SystemClock, app.Elapsed.OriginLocal());
    if (const auto failure = WriteFileReplacing(file, rows)) return file + ": " + *failure;
  }
  return std::nullopt;
}

}  // namespace ptpdiag
