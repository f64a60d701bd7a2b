#include "report/link_report.h"

#include <algorithm>

#include "alignment/alignment_json.h"
#include "quality/json_fields.h"
#include "quality/quality_json.h"

namespace ptpdiag {
namespace {

using json::Text;

std::string MaybeText(const std::optional<std::string>& text) {
  return text ? Text(*text) : "null";
}

std::string VerdictsJson(const LinkGrades& grades) {
  std::string text = "[";
  for (const Verdict& v : grades.Verdicts) {
    json::Fields f;
    f.Add("Name", Text(v.Name));
    f.Add("Verdict", Text(GradeWord(v.Outcome)));
    f.Add("Measured", json::Maybe(v.Measured));
    f.Add("Statistic", Text(v.Statistic));
    f.Add("Limit", json::Real(v.Limit));
    f.Add("Compare", Text(v.AtLeast ? "at least" : "at most"));
    f.Add("Unit", Text(v.Unit));
    f.Add("Samples", std::to_string(v.Samples));
    text += (text.size() > 1 ? ",\n    " : "\n    ") + f.Close();
  }
  return text + "]";
}

std::string PercentilesJson(const std::optional<Percentiles>& p) {
  json::Fields f;
  f.Add("Samples", std::to_string(p ? p->Count : 0));
  f.Add("P1", p ? json::Real(ShownRounding(p->P1)) : "null");
  f.Add("P50", p ? json::Real(ShownRounding(p->P50)) : "null");
  f.Add("P99", p ? json::Real(ShownRounding(p->P99)) : "null");
  return f.Close();
}

std::string EvidenceJson(const LinkGrades& grades) {
  std::string text = "[";
  for (const FigureEvidence& e : grades.Evidence) {
    std::string p = PercentilesJson(e.Values);
    text += (text.size() > 1 ? ",\n    " : "\n    ") + std::string("{\"Figure\": ") +
            Text(e.Figure) + ", \"Unit\": " + Text(e.Unit) + ", " + p.substr(1);
  }
  return text + "]";
}

std::string AlarmsJson(const std::vector<ReportAlarm>& alarms) {
  std::string text = "[";
  for (const ReportAlarm& a : alarms) {
    json::Fields f;
    f.Add("Name", Text(a.Name));
    f.Add("Figure", Text(a.Figure));
    f.Add("Raised", Text(a.Raised));
    f.Add("RaisedValue", Text(a.RaisedValue));
    f.Add("Cleared", MaybeText(a.Cleared));
    f.Add("ClearedValue", MaybeText(a.ClearedValue));
    text += (text.size() > 1 ? ",\n    " : "\n    ") + f.Close();
  }
  return text + "]";
}

std::string HistoryJson(const std::vector<ReportSlot>& history) {
  std::string text = "[";
  for (const ReportSlot& s : history) {
    text += (text.size() > 1 ? ",\n    [" : "\n    [") + std::to_string(s.Seconds) + ", " +
            json::Maybe(s.SignalDbm) + ", " + json::Real(s.NoiseDbm) + ", " +
            json::Real(s.ErrorPct) + "]";
  }
  return text + "]";
}

std::string FieldsJson(const std::vector<ReportField>& fields) {
  std::string text = "[";
  for (const ReportField& field : fields) {
    text += (text.size() > 1 ? ", [" : "[") + Text(field.Key) + ", " + Text(field.Value) + "]";
  }
  return text + "]";
}

std::string PhotosJson(const std::vector<ReportPhoto>& photos) {
  std::string text = "[";
  for (const ReportPhoto& p : photos) {
    json::Fields f;
    f.Add("File", Text(p.File));
    f.Add("Width", std::to_string(p.Width));
    f.Add("Height", std::to_string(p.Height));
    text += (text.size() > 1 ? ", " : "") + f.Close();
  }
  return text + "]";
}

std::string CaptureJson(const std::optional<ReportCapture>& capture) {
  if (!capture) return "null";
  json::Fields f;
  f.Add("File", Text(capture->File));
  f.Add("Sha256", capture->Sha256.empty() ? "null" : Text(capture->Sha256));
  f.Add("Command", Text(capture->Command));
  return f.Close();
}

std::string WindowJson(const LinkReport& r) {
  json::Fields f;
  f.Add("Minutes", std::to_string(r.Profile.WindowMinutes));
  f.Add("Ticks", std::to_string(r.WindowTicks));
  f.Add("From", MaybeText(r.WindowFrom));
  f.Add("To", MaybeText(r.WindowTo));
  return f.Close();
}

}  // namespace

std::string LinkReportJson(const LinkReport& r) {
  std::string text = "{\n";
  const auto add = [&text](std::string_view key, const std::string& value, bool last = false) {
    text += "  \"" + std::string(key) + "\": " + value + (last ? "\n" : ",\n");
  };
  add("Generated", Text(r.Generated));
  add("Program", Text(r.Program));
  add("Link", Text(r.Link));
  add("Start", Text(r.Start));
  add("End", Text(r.End));
  std::string profile;
  for (const char c : ReportProfileJson(r.Profile)) profile += c == '\n' ? "\n  " : std::string(1, c);
  profile.resize(profile.size() - 3);  // its line end
  add("Profile", profile);
  add("Window", WindowJson(r));
  add("Verdict", Text(GradeWord(r.Grades.Overall)));
  add("Verdicts", VerdictsJson(r.Grades));
  add("Evidence", EvidenceJson(r.Grades));
  add("FadeMarginDb", PercentilesJson(r.Grades.FadeMarginDb));
  add("ChannelQuality", QualityJson(r.Quality));
  add("Alignment", AlignmentJson(r.Alignment, r.AlignmentBest));
  add("Alarms", AlarmsJson(r.Alarms));
  add("History", HistoryJson(r.History));
  add("Fields", FieldsJson(r.Fields));
  add("Photos", PhotosJson(r.Photos));
  add("Capture", CaptureJson(r.Capture), true);
  return text + "}\n";
}

std::vector<QualityOfChannel> WorstChannels(const QualityFigures& quality, std::size_t count) {
  std::vector<QualityOfChannel> visited;
  for (const QualityOfChannel& c : quality.Channels) {
    if (c.Visits > 0) visited.push_back(c);
  }
  std::stable_sort(visited.begin(), visited.end(), [](const auto& a, const auto& b) {
    if (a.Flagged != b.Flagged) return a.Flagged;
    if (a.Duty.value_or(0) != b.Duty.value_or(0)) return a.Duty.value_or(0) > b.Duty.value_or(0);
    return a.GoodPct.value_or(100) < b.GoodPct.value_or(100);
  });
  if (visited.size() > count) visited.resize(count);
  return visited;
}

std::string TwinJsonPath(const std::string& htmlPath) {
  for (const char* ext : {".html", ".htm", ".HTML", ".HTM"}) {
    const std::string e(ext);
    if (htmlPath.size() > e.size() && htmlPath.ends_with(e))
      return htmlPath.substr(0, htmlPath.size() - e.size()) + ".json";
  }
  return htmlPath + ".json";
}

std::string ValidUtf8(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xc2 && lead < 0xe0 ? 2
                             : lead >= 0xe0 && lead < 0xf0 ? 3 : lead >= 0xf0 && lead < 0xf5 ? 4 : 0;
    bool whole = length > 0 && i + length <= text.size();
    for (std::size_t k = 1; whole && k < length; ++k)
      whole = (static_cast<unsigned char>(text[i + k]) & 0xc0) == 0x80;
    // Overlong three-byte forms and surrogates, and code points past U+10FFFF.
    if (whole && length == 3) {
      const auto second = static_cast<unsigned char>(text[i + 1]);
      whole = !(lead == 0xe0 && second < 0xa0) && !(lead == 0xed && second >= 0xa0);
    } else if (whole && length == 4) {
      const auto second = static_cast<unsigned char>(text[i + 1]);
      whole = !(lead == 0xf0 && second < 0x90) && !(lead == 0xf4 && second >= 0x90);
    }
    if (!whole) {
      out += '?';
      ++i;
      continue;
    }
    out.append(text.substr(i, length));
    i += length;
  }
  return out;
}

}  // namespace ptpdiag
