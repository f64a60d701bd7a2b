#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/sha256.h"
#include "report/link_grades.h"
#include "report/link_report.h"
#include "report/report_profile.h"

namespace ptpdiag {
namespace {

TEST(Report, PercentilesByNearestRank) {
  std::vector<double> hundred;
  for (int i = 1; i <= 100; ++i) hundred.push_back(i);
  struct Case {
    std::vector<double> sorted;
    double p1, p50, p99;
  } cases[] = {
      {{7}, 7, 7, 7},
      {{1, 2, 3}, 1, 2, 3},
      {hundred, 1, 50, 99},
  };
  for (const Case& c : cases) {
    const auto p = PercentilesOf(c.sorted);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Count, c.sorted.size());
    EXPECT_EQ(p->P1, c.p1);
    EXPECT_EQ(p->P50, c.p50);
    EXPECT_EQ(p->P99, c.p99);
  }
  EXPECT_FALSE(PercentilesOf({}));
}

// Every tick of a link open at 250 ms steps with the same figures.
FigureSamples Steady(double level, double current, int ticks) {
  FigureSamples samples(1);
  for (int i = 1; i <= ticks; ++i) {
    AlarmInputs in;
    in[AlarmFigure::SecondsWithoutData] = 0.0;
    in[AlarmFigure::Level] = level;
    in[AlarmFigure::Current] = current + (i % 2);  // 1 mA of scatter
    samples.Add(in, i * 250);
  }
  return samples;
}

Grade OutcomeOf(const LinkGrades& g, const std::string& name) {
  for (const Verdict& v : g.Verdicts) {
    if (v.Name == name) return v.Outcome;
  }
  ADD_FAILURE() << "no verdict " << name;
  return Grade::NotMeasured;
}

TEST(Report, GradesAtTheirLimits) {
  struct Case {
    const char* what;
    double level, current;
    Grade signal, margin, currentHigh;
  } cases[] = {
      {"well inside", -70, 200, Grade::Pass, Grade::Pass, Grade::Pass},
      // Graded as shown: -85.04 reads -85.0, which meets -85.
      {"at the signal limit as shown", -85.04, 200, Grade::Pass, Grade::Pass, Grade::Pass},
      {"just below it", -85.06, 200, Grade::Fail, Grade::Pass, Grade::Pass},
      {"margin exactly 20 dB", -86, 549, Grade::Fail, Grade::Pass, Grade::Pass},
      {"current over its window", -70, 550, Grade::Pass, Grade::Pass, Grade::Fail},
  };
  for (const Case& c : cases) {
    const LinkGrades g = GradeLink(ReportProfile{}, Steady(c.level, c.current, 40), {});
    EXPECT_EQ(OutcomeOf(g, "Signal"), c.signal) << c.what;
    EXPECT_EQ(OutcomeOf(g, "Fade margin"), c.margin) << c.what;
    EXPECT_EQ(OutcomeOf(g, "Current, highest"), c.currentHigh) << c.what;
    // No noise floor and no error history: those are not measured, so the
    // link cannot pass as a whole.
    EXPECT_EQ(OutcomeOf(g, "Noise floor"), Grade::NotMeasured) << c.what;
    EXPECT_EQ(g.Overall, c.signal == Grade::Fail || c.margin == Grade::Fail || c.currentHigh == Grade::Fail
                             ? Grade::Fail
                             : Grade::NotMeasured)
        << c.what;
  }
}

TEST(Report, WindowKeepsTheLastMinutesWithALinkOpen) {
  FigureSamples samples(1);
  AlarmInputs closed;
  closed[AlarmFigure::Level] = -60.0;  // no link open: not kept
  samples.Add(closed, 0);
  for (int i = 1; i <= 300; ++i) {
    AlarmInputs in;
    in[AlarmFigure::SecondsWithoutData] = 0.0;
    in[AlarmFigure::Level] = static_cast<double>(i);
    samples.Add(in, i * 250);
  }
  EXPECT_EQ(samples.Ticks(), 240u);
  EXPECT_EQ(*samples.FirstMs(), 61 * 250);
  EXPECT_EQ(samples.Sorted(AlarmFigure::Level).front(), 61.0);
}

TEST(Report, ProfileFromJson) {
  struct Case {
    const char* text;
    std::string problem;  // empty: read
  } cases[] = {
      {R"({"MinSignalDbm": -80, "WindowMinutes": 30})", ""},
      {R"({})", ""},
      {R"({"MinSignalDbm": 80})", "\"MinSignalDbm\" must be a number from -128 to 0"},
      {R"({"WindowMinutes": 2.5})", "\"WindowMinutes\" must be a whole number from 1 to 480"},
      {R"({"MinCurrentMa": 600})", "\"MinCurrentMa\" is above \"MaxCurrentMa\""},
      {R"({"MinSignal": -80})", "unknown member \"MinSignal\""},
      {R"([1])", "a JSON object of limits is expected"},
      {R"({"MinSignalDbm": })", "not JSON: line 1, column 18"},
  };
  for (const Case& c : cases) {
    const auto read = ReadReportProfile(c.text);
    if (c.problem.empty()) {
      EXPECT_TRUE(std::holds_alternative<ReportProfile>(read)) << c.text;
    } else {
      ASSERT_TRUE(std::holds_alternative<std::string>(read)) << c.text;
      EXPECT_EQ(std::get<std::string>(read).substr(0, c.problem.size()), c.problem) << c.text;
    }
  }
  const auto read = ReadReportProfile(R"({"MinSignalDbm": -80, "WindowMinutes": 30})");
  EXPECT_EQ(std::get<ReportProfile>(read).MinSignalDbm, -80);
  EXPECT_EQ(std::get<ReportProfile>(read).WindowMinutes, 30);
  EXPECT_EQ(std::get<ReportProfile>(read).MaxVswr, ReportProfile{}.MaxVswr);
  // What it writes reads back as the same profile.
  const auto again = ReadReportProfile(ReportProfileJson(std::get<ReportProfile>(read)));
  EXPECT_EQ(ReportProfileJson(std::get<ReportProfile>(again)), ReportProfileJson(std::get<ReportProfile>(read)));
}

TEST(Report, Sha256KnownDigests) {
  struct Case {
    std::string message;
    const char* digest;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      // 56 bytes: the length no longer fits the first block.
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) {
    Sha256 sha;
    sha.Add({reinterpret_cast<const std::uint8_t*>(c.message.data()), c.message.size()});
    EXPECT_EQ(sha.HexDigest(), c.digest) << c.message.size() << " bytes";
  }
}

TEST(Report, TextMadeSafeForThePage) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"Nørd mast", "Nørd mast"},
      {"\xe9t\xe9", "?t?"},                  // Latin-1, not UTF-8
      {"\xc3", "?"},                          // cut short
      {"\xed\xa0\x80", "???"},                // a surrogate
      {"\xf0\x9f\x93\xa1 dish", "\xf0\x9f\x93\xa1 dish"},
  };
  for (const Case& c : cases) EXPECT_EQ(ValidUtf8(c.in), c.out) << c.in;

  LinkReport report;
  report.Fields.push_back({"Notes", "<script>alert(1)</script> & \"more\""});
  const std::string html = LinkReportHtml(report);
  EXPECT_EQ(html.find("<script>"), std::string::npos);
  EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt; &amp; &quot;more&quot;"), std::string::npos);
  EXPECT_NE(LinkReportJson(report).find(R"(["Notes", "<script>alert(1)</script> & \"more\""])"),
            std::string::npos);
}

}  // namespace
}  // namespace ptpdiag
