#include "files/csv_export.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include "state/civil_time.h"
#include "state/diagnostics_store.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// RFC 4180 as a spreadsheet reads it: CR LF between records, fields split
// at commas (the export never quotes, so a quote would be a fault).
Rows Parse(const std::string& csv) {
  Rows rows;
  std::size_t at = 0;
  while (at < csv.size()) {
    const std::size_t end = csv.find("\r\n", at);
    EXPECT_NE(end, std::string::npos) << "a record without CR LF";
    if (end == std::string::npos) break;
    const std::string line = csv.substr(at, end - at);
    EXPECT_EQ(line.find_first_of("\"\n\r"), std::string::npos) << line;
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, ',')) fields.push_back(field);
    if (!line.empty() && line.back() == ',') fields.emplace_back();
    rows.push_back(fields);
    at = end + 2;
  }
  return rows;
}

void FillTwoChannels(DiagnosticsStore& s) {
  // Channel 1: signal byte 71.25 (stored (128 - 71.25) x 16), noise 106,
  // peak noise byte 100, 77.1 % good, VSWR byte 20.75, current 128.875 mA.
  s.FreqSignal[1] = (128 * 16) - (71 * 16 + 4);
  s.FreqNoise[1] = (128 - 106) * 16;
  s.FreqPeakNoise[1] = 128 - 100;
  s.FreqGoodScore[1] = 771;
  s.FreqVswr[1] = 332;
  s.FreqCurrent[1] = 1031;
  // Channel 111: frames came, none received well, no transmitter reading.
  s.FreqNoise[111] = (128 - 110) * 16;
  s.FreqPeakNoise[111] = 128 - 108;
}

TEST(ChannelsCsv, OneRowPerChannelInTheScreensUnits) {
  DiagnosticsStore s{};
  FillTwoChannels(s);
  const Rows rows = Parse(ChannelsCsv(s));
  ASSERT_EQ(rows.size(), 112U);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"channel", "frequency_MHz", "signal_dBm", "noise_dBm",
                                               "peak_noise_dBm", "good_reception_percent", "vswr",
                                               "current_mA"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"1", "902.4304", "-71.25", "-106", "-100", "77.1",
                                               "20.75", "128.875"}));
  // A channel no frame reached: its number and place only.
  EXPECT_EQ(rows[2], (std::vector<std::string>{"2", "902.6608", "", "", "", "", "", ""}));
  EXPECT_EQ(rows[111], (std::vector<std::string>{"111", "927.7744", "", "-110", "-108", "0", "", ""}));
  for (const auto& row : rows) EXPECT_EQ(row.size(), 8U);
}

struct CommaDecimal : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(ChannelsCsv, ADecimalCommaLocaleChangesNothing) {
  DiagnosticsStore s{};
  FillTwoChannels(s);
  const std::string plain = ChannelsCsv(s);
  const std::locale before = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
  const std::string cLocale = std::setlocale(LC_NUMERIC, nullptr);
  // Where the system has a decimal-comma locale, C's formatting uses it too.
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) break;
  }
  const std::string underComma = ChannelsCsv(s);
  std::setlocale(LC_NUMERIC, cLocale.c_str());
  std::locale::global(before);
  EXPECT_EQ(underComma, plain);
}

// A zone one hour ahead of UTC that goes to two hours at 2026-03-28
// 23:45 UTC.
std::int32_t SpringForward(std::int64_t unixSeconds) {
  const std::int64_t change = SecondsOfCivil({2026, 3, 28, 23, 45, 0, 0});
  return unixSeconds < change ? 3600 : 7200;
}

TEST(HistoryCsv, TimesCrossMidnightAndTheOffsetChange) {
  test::FakeClock zone;
  zone.Zone = SpringForward;
  DiagnosticsStore s{};
  s.HistIndex = 3;
  s.HistTime[1] = 1800;
  s.HistTime[2] = 3600;
  s.HistTime[3] = 5400;
  const Rows rows = Parse(HistoryCsv(s, zone, {2026, 3, 28, 23, 30, 0, 0}));
  ASSERT_EQ(rows.size(), 4U);
  EXPECT_EQ(rows[1][0], "2026-03-29T00:00:00+01:00");
  EXPECT_EQ(rows[2][0], "2026-03-29T00:30:00+01:00");
  EXPECT_EQ(rows[3][0], "2026-03-29T02:00:00+02:00");  // 00:00 UTC, after the change
  EXPECT_EQ(rows[3][1], "5400");
}

TEST(HistoryCsv, NegativeOffsetsAndUtcAreWrittenWithTheirSign) {
  test::FakeClock zone;
  DiagnosticsStore s{};
  s.HistIndex = 1;
  s.HistTime[1] = 2;
  EXPECT_EQ(Parse(HistoryCsv(s, zone, {2026, 12, 31, 23, 59, 59, 0}))[1][0],
            "2027-01-01T00:00:01+00:00");
  zone.Zone = [](std::int64_t) { return -(3 * 3600 + 30 * 60); };
  EXPECT_EQ(Parse(HistoryCsv(s, zone, {2026, 7, 1, 12, 0, 0, 0}))[1][0],
            "2026-07-01T12:00:02-03:30");
}

TEST(HistoryCsv, EachRowHasItsSlotsAveragesAndTheCountsOfItsPeriod) {
  test::FakeClock zone;
  DiagnosticsStore s{};
  s.HistIndex = 2;
  s.HistTime = {};
  s.HistTime[1] = 2;
  s.HistTime[2] = 6;
  // The period closed by slot 1 counted in slot 0, slot 2's in slot 1.
  s.HistGoodCount[0] = 96;
  s.HistMissCount[0] = 4;
  s.HistXmit[0] = 1700;
  s.HistRcvd[0] = 13000;
  s.HistGoodCount[1] = 0;
  s.HistMissCount[1] = 200;
  s.HistXmit[1] = 1000;
  s.HistSignal[1] = 58;
  s.HistSignal[2] = 57;  // stale: no good hop in slot 2's period
  s.HistNoise[1] = 20;
  s.HistNoise[2] = 19;
  s.HistErrorRate[1] = 10;
  s.HistErrorRate[2] = 254;
  const Rows rows = Parse(HistoryCsv(s, zone, {2026, 1, 5, 9, 0, 0, 0}));
  ASSERT_EQ(rows.size(), 3U);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"time_local", "seconds_since_start", "signal_dBm",
                                               "noise_dBm", "error_percent", "xmit_kB_per_s",
                                               "rcvd_kB_per_s", "good_hops", "missed_hops"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"2026-01-05T09:00:02+00:00", "2", "-70", "-108",
                                               "3.9062", "0.85", "6.5", "96", "4"}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"2026-01-05T09:00:06+00:00", "6", "", "-109",
                                               "99.2188", "0.25", "0", "0", "200"}));
}

TEST(QualityCsv, OneRowPerChannelEmptyWhereAFigureHasNoData) {
  ChannelQuality q;
  for (int v = 0; v < 4; ++v) q.AddFrame(2, 100, v == 0 ? 0 : 64, 0);
  const Rows rows = Parse(QualityCsv(q.Figures()));
  ASSERT_EQ(rows.size(), 112U);
  EXPECT_EQ(rows[0].size(), 13U);
  EXPECT_EQ(rows[2], (std::vector<std::string>{"2", "4", "-100", "-100", "-100", "-100", "0", "0",
                                               "0.4899", "", "75", "-64", "0"}));
  EXPECT_EQ(rows[111], (std::vector<std::string>{"111", "0", "", "", "", "", "", "", "", "", "",
                                                 "", "0"}));
}

TEST(WaterfallCsv, RowsStartInLocalTimeWithAColumnPerChannelAndGapsEmpty) {
  test::FakeClock zone;
  Waterfall w;
  w.Add(1, 100, 60, 0);
  w.Add(1, 90, 0, 500);
  w.Add(111, 80, 0, 4000);  // row 2; row 1 is all gaps
  const Rows noise = Parse(WaterfallCsv(w, WaterfallLayer::Noise, zone, {2026, 1, 5, 9, 0, 0, 0}));
  ASSERT_EQ(noise.size(), 4U);
  EXPECT_EQ(noise[0].size(), 113U);
  EXPECT_EQ(noise[1][0], "2026-01-05T09:00:00+00:00");
  EXPECT_EQ(noise[1][1], "2");
  EXPECT_EQ(noise[1][2], "-90");
  EXPECT_EQ(noise[2][0], "2026-01-05T09:00:02+00:00");
  EXPECT_EQ(noise[2][2], "");
  EXPECT_EQ(noise[3][112], "-80");
  const Rows misses = Parse(WaterfallCsv(w, WaterfallLayer::Misses, zone, {2026, 1, 5, 9, 0, 0, 0}));
  EXPECT_EQ(misses[1][2], "0.5");
  const Rows signal = Parse(WaterfallCsv(w, WaterfallLayer::Signal, zone, {2026, 1, 5, 9, 0, 0, 0}));
  EXPECT_EQ(signal[1][2], "-60");
  EXPECT_EQ(signal[3][112], "");  // visited, but every hop missed
}

TEST(HistoryCsv, AnEmptyHistoryIsTheHeaderAlone) {
  test::FakeClock zone;
  EXPECT_EQ(Parse(HistoryCsv(DiagnosticsStore{}, zone, {})).size(), 1U);
}

struct NameCase {
  const char* path;
  const char* name;
};

class CsvName : public testing::TestWithParam<NameCase> {};

TEST_P(CsvName, DropsAFinalCsvExtension) {
  EXPECT_EQ(CsvBaseName(GetParam().path), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Paths, CsvName,
                         testing::Values(NameCase{"/tmp/link.csv", "/tmp/link"},
                                         NameCase{"LINK.CSV", "LINK"}, NameCase{"link", "link"},
                                         NameCase{"a.csv.csv", "a.csv"}, NameCase{".csv", ""},
                                         NameCase{"csv", "csv"}, NameCase{"x.csvs", "x.csvs"}));

TEST(CivilTime, SecondsRoundTripAcrossLeapDaysAndCenturies) {
  for (const LocalDateTime t : {LocalDateTime{2024, 2, 29, 23, 59, 59, 0}, LocalDateTime{2000, 3, 1, 0, 0, 0, 0},
                                LocalDateTime{1969, 12, 31, 23, 59, 59, 0}, LocalDateTime{2100, 2, 28, 12, 0, 0, 0}}) {
    const LocalDateTime back = CivilOfSeconds(SecondsOfCivil(t));
    EXPECT_EQ(back.Year, t.Year);
    EXPECT_EQ(back.Month, t.Month);
    EXPECT_EQ(back.Day, t.Day);
    EXPECT_EQ(back.Second, t.Second);
  }
  EXPECT_EQ(SecondsOfCivil({1970, 1, 1, 0, 0, 0, 0}), 0);
  EXPECT_EQ(AddSeconds({2100, 2, 28, 23, 0, 0, 0}, 3600).Month, 3);  // 2100 is not a leap year
}

}  // namespace
}  // namespace ptpdiag
