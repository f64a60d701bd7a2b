// The before-and-after comparison as one page, styled as the report is.
#include "alarms/alarm_rules.h"
#include "report/compare.h"
#include "report/html_parts.h"

namespace ptpdiag {
namespace {

std::string Value(const std::optional<double>& v) {
  return v ? AlarmValueText(*v) : "&ndash;";
}

std::string Signed(const std::optional<double>& v) {
  if (!v) return "&ndash;";
  return (*v > 0 ? "+" : "") + AlarmValueText(*v);
}

std::string SidesSection(const CompareSide& before, const CompareSide& after) {
  std::string rows = Head({"", "Recording", "Minutes", "SHA-256"});
  for (const auto* side : {&before, &after}) {
    rows += Row({Cell(side == &before ? "Before" : "After"), Cell("<code>" + Escaped(side->File) + "</code>"),
                 Cell(AlarmValueText(side->Minutes)), Cell("<code>" + side->Sha256 + "</code>")});
  }
  return Table(rows);
}

std::string SummarySection(const SessionSummary& b, const SessionSummary& a) {
  struct Line {
    const char* Name;
    std::optional<double> SessionSummary::*Value;
  };
  static constexpr Line kLines[] = {
      {"Signal, median (dBm)", &SessionSummary::SignalDbm},
      {"Noise floor (dBm)", &SessionSummary::NoiseDbm},
      {"Good hops (%)", &SessionSummary::GoodPct},
      {"VSWR, median", &SessionSummary::Vswr},
      {"Current, median (mA)", &SessionSummary::CurrentMa},
      {"Flagged channels", &SessionSummary::FlaggedChannels},
      {"Fade margin (dB)", &SessionSummary::FadeMarginDb},
  };
  std::string rows = Head({"Figure", "Before", "After", "Change"});
  for (const Line& l : kLines) {
    rows += Row({Cell(l.Name), Cell(Value(b.*l.Value)), Cell(Value(a.*l.Value)),
                 Cell(Signed(Change(b.*l.Value, a.*l.Value)))});
  }
  return Table(rows);
}

std::string ChannelsSection(const SessionSummary& b, const SessionSummary& a) {
  std::string rows = Head({"Channel", "Signal before", "after", "change", "Noise change", "Good hops change",
                           "VSWR change", "Current change"});
  for (int c = 0; c < kComparedChannels; ++c) {
    const ChannelSummary& x = b.Channels[c];
    const ChannelSummary& y = a.Channels[c];
    rows += Row({Cell(std::to_string(c + 1)), Cell(Value(x.SignalDbm)), Cell(Value(y.SignalDbm)),
                 Cell(Signed(Change(x.SignalDbm, y.SignalDbm))), Cell(Signed(Change(x.NoiseDbm, y.NoiseDbm))),
                 Cell(Signed(Change(x.GoodPct, y.GoodPct))), Cell(Signed(Change(x.Vswr, y.Vswr))),
                 Cell(Signed(Change(x.CurrentMa, y.CurrentMa)))});
  }
  return "<p>Levels in dBm and changes in dB; good hops in %; current in mA; after less before.</p>\n" +
         Table(rows);
}

}  // namespace

std::string CompareHtml(const CompareSide& before, const CompareSide& after, const std::string& generated,
                        const std::string& program) {
  std::string page = PageStart("Link comparison report");
  page += "<h1>Link comparison report</h1>\n<p class=\"verdict none\">" +
          Escaped(CompareSentence(before.Summary, after.Summary)) + "</p>\n";
  page += "<p class=\"note\">Generated " + generated + " by " + Escaped(program) + ".</p>\n";
  page += Section("recordings", "Recordings", SidesSection(before, after), true);
  page += Section("summary", "Summary", SummarySection(before.Summary, after.Summary));
  page += Section("channels", "Channels", ChannelsSection(before.Summary, after.Summary));
  return page + PageEnd();
}

}  // namespace ptpdiag
