#include "link/store_report.h"

#include <charconv>
#include <span>
#include <string_view>

#include "quality/json_fields.h"
#include "quality/quality_json.h"

namespace ptpdiag {
namespace {

class JsonObject {
 public:
  void Number(std::string_view key, std::int64_t value) {
    Key(key);
    text_ += std::to_string(value);
  }
  // The shortest text that reads back as the same double (std::to_chars),
  // so both builds write the same bytes.
  void Real(std::string_view key, double value) {
    Key(key);
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    text_.append(text, error == std::errc() ? end : text);
  }
  void Array(std::string_view key, std::span<const std::int32_t> values) {
    Key(key);
    text_ += '[';
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (i > 0) text_ += ',';
      text_ += std::to_string(values[i]);
    }
    text_ += ']';
  }
  // A value written elsewhere, as it stands.
  void Raw(std::string_view key, std::string_view json) {
    Key(key);
    text_ += json;
  }
  std::string Finish() { return text_ + "\n}\n"; }

 private:
  void Key(std::string_view key) {
    text_ += first_ ? "{\n" : ",\n";
    first_ = false;
    text_ += "  \"";
    text_ += key;
    text_ += "\": ";
  }
  std::string text_;
  bool first_ = true;
};

// How each stored figure reads: the store keeps levels as 128 less the
// radio's byte, scaled, so that they fit whole numbers.
constexpr std::pair<std::string_view, std::string_view> kUnits[] = {
    {"ShownSignal", "dBm, negated (72: -72 dBm)"},
    {"ShownNoise", "dBm, negated (72: -72 dBm)"},
    {"ShownVswr", "VSWR reading"},
    {"ShownCurrent", "mA"},
    {"ShownRcvdRate", "%"},
    {"RcvdRateSmooth", "%"},
    {"ShownMaxMissed", "hops"},
    {"PeriodSignalSum", "sum of (dBm + 128) over good hops"},
    {"PeriodNoiseSum", "sum of (dBm + 128) over frames"},
    {"PeriodVswrSum", "sum of VSWR readings"},
    {"PeriodCurrentSum", "sum of current bytes (mA x 0.1234)"},
    {"PeriodXmitSum", "bytes"},
    {"PeriodRcvdSum", "bytes"},
    {"FreqSignal", "(dBm + 128) x 16"},
    {"FreqNoise", "(dBm + 128) x 16"},
    {"FreqPeakNoise", "dBm + 128"},
    {"FreqVswr", "VSWR reading x 16"},
    {"FreqCurrent", "mA x 8"},
    {"FreqGoodScore", "% x 10"},
    {"HistTime", "s since StartSeconds"},
    {"HistSignal", "dBm + 128"},
    {"HistNoise", "dBm + 128"},
    {"HistVswr", "VSWR reading"},
    {"HistCurrent", "mA"},
    {"HistErrorRate", "% x 2.56"},
    {"HistMissCount", "hops"},
    {"HistGoodCount", "hops"},
    {"HistXmit", "bytes"},
    {"HistRcvd", "bytes"},
    {"StartSeconds", "s"},
};

std::string Quoted(std::string_view text) {
  return json::Text(text);
}

std::string MetaJson(const StoreReportMeta& meta) {
  std::string units = "{";
  for (const auto& [key, unit] : kUnits)
    units += (units.size() > 1 ? ", " : "") + Quoted(key) + ": " + Quoted(unit);
  units += "}";
  const auto maybe = [](const std::string& text) { return text.empty() ? "null" : Quoted(text); };
  return "{\"Program\": " + Quoted(meta.Program) + ", \"Link\": " + maybe(meta.Link) +
         ", \"Replay\": " + maybe(meta.Replay) + ", \"Start\": " + Quoted(meta.Start) +
         ", \"End\": " + Quoted(meta.End) + ",\n    \"Units\": " + units + "}";
}

}  // namespace

std::string StoreReportJson(const DiagnosticsStore& s, std::uint8_t screenNumber,
                            const StoreReportSections& sections) {
  JsonObject j;
  j.Number("ShownSignal", s.ShownSignal);
  j.Number("ShownNoise", s.ShownNoise);
  j.Number("ShownVswr", s.ShownVswr);
  j.Number("ShownCurrent", s.ShownCurrent);
  j.Number("ShownRcvdRate", s.ShownRcvdRate);
  j.Real("RcvdRateSmooth", s.RcvdRateSmooth);
  j.Number("ShownMaxMissed", s.ShownMaxMissed);
  j.Number("PeriodFrames", s.PeriodFrames);
  j.Number("PeriodNoiseSum", s.PeriodNoiseSum);
  j.Number("PeriodGoodCount", s.PeriodGoodCount);
  j.Number("PeriodMissCount", s.PeriodMissCount);
  j.Number("PeriodSignalSum", s.PeriodSignalSum);
  j.Number("PeriodVswrSum", s.PeriodVswrSum);
  j.Number("PeriodCurrentSum", s.PeriodCurrentSum);
  j.Number("PeriodXmitSum", s.PeriodXmitSum);
  j.Number("PeriodRcvdSum", s.PeriodRcvdSum);
  j.Number("MissRun", s.MissRun);
  j.Number("MaxMissRun", s.MaxMissRun);
  j.Array("FreqCurrent", s.FreqCurrent);
  j.Array("FreqVswr", s.FreqVswr);
  j.Array("FreqSignal", s.FreqSignal);
  j.Array("FreqNoise", s.FreqNoise);
  j.Array("FreqPeakNoise", s.FreqPeakNoise);
  j.Array("FreqGoodScore", s.FreqGoodScore);
  j.Number("HistIndex", s.HistIndex);
  j.Array("HistTime", s.HistTime);
  j.Array("HistSignal", s.HistSignal);
  j.Array("HistNoise", s.HistNoise);
  j.Array("HistVswr", s.HistVswr);
  j.Array("HistCurrent", s.HistCurrent);
  j.Array("HistErrorRate", s.HistErrorRate);
  j.Array("HistMissCount", s.HistMissCount);
  j.Array("HistGoodCount", s.HistGoodCount);
  j.Array("HistXmit", s.HistXmit);
  j.Array("HistRcvd", s.HistRcvd);
  j.Number("LinkEventCount", s.LinkEventCount);
  j.Number("LinkEventType", s.LinkEventType);
  j.Number("LinkEventValue", s.LinkEventValue);
  j.Number("StartSeconds", s.StartSeconds);
  j.Number("ScreenNumber", screenNumber);
  j.Number("LinkRingCount", s.LinkRingCount.load());
  j.Number("BytesAvailable", s.BytesAvailable);
  if (sections.Quality != nullptr) j.Raw("ChannelQuality", QualityJson(*sections.Quality));
  if (!sections.AlignmentJson.empty()) j.Raw("Alignment", sections.AlignmentJson);
  if (!sections.AlarmsJson.empty()) j.Raw("Alarms", sections.AlarmsJson);
  if (sections.Meta != nullptr) j.Raw("Meta", MetaJson(*sections.Meta));
  return j.Finish();
}

}  // namespace ptpdiag
