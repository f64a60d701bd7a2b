// The report as one HTML page: styles inline, pictures as inline SVG or
// data URLs, nothing fetched; A4 pages in print, one column on a phone.
#include <string_view>

#include "alarms/alarm_rules.h"
#include "report/history_plot.h"
#include "report/html_parts.h"
#include "report/link_report.h"

namespace ptpdiag {
namespace {

std::string WithUnit(double v, const std::string& unit) {
  if (unit.empty()) return AlarmValueText(v);
  return AlarmValueText(v) + (unit == "%" ? "" : " ") + unit;
}

std::string Maybe(const std::optional<double>& v, const std::string& unit = {}) {
  return v ? WithUnit(*v, unit) : "&ndash;";
}

const char* GradeClass(Grade g) {
  return g == Grade::Pass ? "pass" : g == Grade::Fail ? "fail" : "none";
}

std::string VerdictSection(const LinkReport& r) {
  std::string rows = Head({"Limit", "Verdict", "Measured", "Statistic", "Limit", "Samples"});
  for (const Verdict& v : r.Grades.Verdicts) {
    rows += Row({Cell(Escaped(v.Name)), Cell(GradeWord(v.Outcome), GradeClass(v.Outcome)),
                 Cell(Maybe(v.Measured, v.Unit)), Cell(v.Statistic),
                 Cell((v.AtLeast ? "&ge; " : "&le; ") + WithUnit(v.Limit, v.Unit)),
                 Cell(std::to_string(v.Samples))});
  }
  const std::string window =
      "<p>Window: the last " + std::to_string(r.Profile.WindowMinutes) +
      " minutes with a link open; " + std::to_string(r.WindowTicks) + " ticks of 250 ms" +
      (r.WindowFrom ? ", from " + *r.WindowFrom + " to " + *r.WindowTo : std::string()) + ".</p>\n";
  return "<p><span class=\"verdict " + std::string(GradeClass(r.Grades.Overall)) + "\">Verdict: " +
         GradeWord(r.Grades.Overall) + "</span></p>\n" + window + Table(rows);
}

std::string PercentileCells(const std::optional<Percentiles>& p, const std::string& unit) {
  if (!p) return Cell("0") + Cell("&ndash;") + Cell("&ndash;") + Cell("&ndash;");
  return Cell(std::to_string(p->Count)) + Cell(WithUnit(ShownRounding(p->P1), unit)) +
         Cell(WithUnit(ShownRounding(p->P50), unit)) + Cell(WithUnit(ShownRounding(p->P99), unit));
}

std::string EvidenceSection(const LinkReport& r) {
  std::string rows = Head({"Figure", "Samples", "1st", "50th", "99th percentile"});
  for (const FigureEvidence& e : r.Grades.Evidence)
    rows += "<tr>" + Cell(e.Figure) + PercentileCells(e.Values, e.Unit) + "</tr>\n";
  std::string margin = Head({"Fade margin", "Samples", "1st", "50th", "99th percentile"});
  margin += "<tr>" + Cell("Level &minus; sensitivity (" + WithUnit(r.Profile.SensitivityDbm, "dBm") + ")") +
            PercentileCells(r.Grades.FadeMarginDb, "dB") + "</tr>\n";
  return Table(rows) + "<h3>Fade margin</h3>\n<p>Required: at least " +
         WithUnit(r.Profile.MinFadeMarginDb, "dB") + ".</p>\n" + Table(margin);
}

std::string ChannelsSection(const LinkReport& r) {
  const QualityFigures& q = r.Quality;
  int flagged = 0;
  for (const QualityOfChannel& c : q.Channels) flagged += c.Flagged ? 1 : 0;
  std::string text = "<p>Noise floor: " + Maybe(q.FloorDbm, "dBm") + "; interference: noise " +
                     WithUnit(q.ThresholdDb, "dB") + " over the floor; flagged channels: " +
                     std::to_string(flagged) + ".";
  if (!q.Exclude.empty()) {
    text += " Channels to exclude:";
    for (int c : q.Exclude) text += " " + std::to_string(c);
    text += ".";
  }
  if (!q.FloorDbm) text += " Not measured: no channel has 20 visits yet.";
  std::string rows = Head({"Channel", "Flagged", "Visits", "Interfered", "Period", "Good hops",
                           "Signal", "Noise 50th", "Noise 99th"});
  for (const QualityOfChannel& c : WorstChannels(q, 10)) {
    rows += Row({Cell(std::to_string(c.Channel)), Cell(c.Flagged ? "yes" : "no", c.Flagged ? "fail" : ""),
                 Cell(std::to_string(c.Visits)),
                 Cell(c.Duty ? WithUnit(*c.Duty * 100, "%") : "&ndash;"), Cell(Maybe(c.PeriodS, "s")),
                 Cell(Maybe(c.GoodPct, "%")), Cell(Maybe(c.SignalMeanDbm, "dBm")),
                 Cell(c.NoiseP50Dbm ? std::to_string(*c.NoiseP50Dbm) + " dBm" : "&ndash;"),
                 Cell(c.NoiseP99Dbm ? std::to_string(*c.NoiseP99Dbm) + " dBm" : "&ndash;")});
  }
  return text + "</p>\n<h3>Worst channels</h3>\n" + Table(rows);
}

std::string AlignmentPart(const LinkReport& r) {
  const AlignmentFigures& a = r.Alignment;
  if (!a.LevelDbm && !a.BestDbm) return "<p>Not measured: no good frame came.</p>\n";
  std::string rows = Head({"Level", "SNR", "Good hops", "Best", "Best at"});
  rows += Row({Cell(Maybe(a.LevelDbm, "dBm")), Cell(Maybe(a.SnrDb, "dB")), Cell(Maybe(a.GoodPct, "%")),
               Cell(Maybe(a.BestDbm, "dBm")), Cell(Escaped(r.AlignmentBest))});
  return Table(rows);
}

std::string AlarmsPart(const LinkReport& r) {
  if (r.Alarms.empty()) return "<p>No alarm was raised.</p>\n";
  std::string rows = Head({"Alarm", "Figure", "Raised", "Value", "Cleared", "Value"});
  for (const ReportAlarm& a : r.Alarms) {
    rows += Row({Cell(Escaped(a.Name)), Cell(a.Figure), Cell(a.Raised), Cell(a.RaisedValue),
                 Cell(a.Cleared ? *a.Cleared : "still raised", a.Cleared ? "" : "fail"),
                 Cell(a.ClearedValue ? *a.ClearedValue : "&ndash;")});
  }
  return Table(rows);
}

std::string ScreensSection(const LinkReport& r) {
  static constexpr const char* kTitles[] = {
      "Transmitter VSWR and current vs frequency", "Signal and noise vs frequency",
      "Signal, noise and error rate vs time", "Channel quality vs time", "Antenna alignment"};
  std::string out;
  for (std::size_t i = 0; i < r.Screens.size(); ++i) {
    out += "<figure class=\"screen\">\n" + r.Screens[i] + "<figcaption>Screen " + std::to_string(i + 1) +
           ": " + kTitles[i] + "</figcaption>\n</figure>\n";
  }
  return out;
}

std::string SiteSection(const LinkReport& r) {
  std::string out;
  if (r.Fields.empty()) {
    out += "<p>No site details were given.</p>\n";
  } else {
    std::string rows;
    for (const ReportField& f : r.Fields) rows += Row({Cell(Escaped(f.Key)), Cell(Escaped(f.Value))});
    out += Table(rows);
  }
  for (const ReportPhoto& p : r.Photos) {
    out += "<figure>\n<img alt=\"" + Escaped(p.File) + "\" width=\"" + std::to_string(p.Width) +
           "\" height=\"" + std::to_string(p.Height) + "\" src=\"data:" + p.Mime + ";base64," +
           Base64(p.Bytes) + "\">\n<figcaption>" + Escaped(p.File) + "</figcaption>\n</figure>\n";
  }
  return out;
}

std::string ProvenanceSection(const LinkReport& r) {
  if (!r.Capture) {
    return "<p>This session was not recorded, so this report cannot be rebuilt. Record with "
           "<code>--record FILE.cap</code> to keep the evidence.</p>\n";
  }
  const std::string sha = r.Capture->Sha256.empty()
                              ? "its SHA-256 not yet known: it was still being made when this report was written"
                              : "SHA-256 <code>" + r.Capture->Sha256 + "</code>";
  return "<p>Made from the recording <code>" + Escaped(r.Capture->File) + "</code>, " + sha +
         ".</p>\n<p>Rebuilt, in the recording's folder, by:</p>\n<p><code>" + Escaped(r.Capture->Command) +
         "</code></p>\n";
}

std::string Title(const LinkReport& r) {
  return "<h1>Link commissioning report</h1>\n<p>" + Escaped(r.Link) + ", from " + r.Start + " to " +
         r.End + ".</p>\n";
}

}  // namespace

std::string LinkReportHtml(const LinkReport& r) {
  std::string page = PageStart("Link commissioning report");
  page += Title(r);
  page += "<p class=\"note\">Generated " + r.Generated + " by " + Escaped(r.Program) + ".</p>\n";
  page += Section("verdict", "Verdict", VerdictSection(r), true);
  page += Section("evidence", "Evidence", EvidenceSection(r));
  page += Section("channels", "Channel quality and interference", ChannelsSection(r));
  page += Section("alignment", "Alignment and alarms",
                  AlignmentPart(r) + "<h3>Alarms raised and cleared</h3>\n" + AlarmsPart(r));
  page += Section("screens", "Screens", ScreensSection(r));
  page += Section("history", "History of the session", HistoryPlotSvg(r.History));
  page += Section("site", "Site", SiteSection(r));
  page += Section("provenance", "Recording", ProvenanceSection(r));
  return page + PageEnd();
}

}  // namespace ptpdiag
