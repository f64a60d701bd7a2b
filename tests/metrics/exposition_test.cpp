#include "metrics/exposition.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "metrics/metrics_snapshot.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

// Sample lines by name and labels, and the TYPE of each family.
struct Parsed {
  std::map<std::string, std::string> Samples;  // "name{labels}" -> value
  std::map<std::string, std::string> Types;
  int HelpLines = 0;
};

Parsed Parse(const std::string& text) {
  Parsed p;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("# HELP ", 0) == 0) {
      ++p.HelpLines;
    } else if (line.rfind("# TYPE ", 0) == 0) {
      const std::string rest = line.substr(7);
      p.Types[rest.substr(0, rest.find(' '))] = rest.substr(rest.find(' ') + 1);
    } else {
      const std::size_t space = line.rfind(' ');
      p.Samples[line.substr(0, space)] = line.substr(space + 1);
    }
  }
  return p;
}

TEST(Exposition, AnIdleProgramHasItsLinkDownAndNoFigures) {
  MetricsSnapshot m;
  m.Version = "1.0.0";
  m.Alarms = {{"No data", true, 1}, {"Signal low", false, 0}};
  const Parsed p = Parse(FormatMetrics(m));
  EXPECT_EQ(p.Samples.at("ptpdiag_build_info{version=\"1.0.0\"}"), "1");
  EXPECT_EQ(p.Samples.at("ptpdiag_link_up{kind=\"none\",port=\"\"}"), "0");
  EXPECT_EQ(p.Samples.at("ptpdiag_frames_total{result=\"good\"}"), "0");
  EXPECT_EQ(p.Samples.count("ptpdiag_signal_dbm"), 0U);
  EXPECT_EQ(p.Samples.count("ptpdiag_seconds_since_last_good_frame"), 0U);
  // Counters are there from the start, so a rule on their increase has a
  // series before the first event.
  EXPECT_EQ(p.Samples.at("ptpdiag_link_events_total{type=\"58\"}"), "0");
  EXPECT_EQ(p.Samples.at("ptpdiag_link_events_total{type=\"30\"}"), "0");
  EXPECT_EQ(p.Samples.at("ptpdiag_alarm_active{alarm=\"No data\"}"), "1");
  EXPECT_EQ(p.Samples.at("ptpdiag_alarm_transitions_total{alarm=\"No data\"}"), "1");
  EXPECT_EQ(p.Samples.at("ptpdiag_alarm_active{alarm=\"Signal low\"}"), "0");
  EXPECT_EQ(p.Samples.at("ptpdiag_alarm_transitions_total{alarm=\"Signal low\"}"), "0");
  EXPECT_EQ(p.Types.size(), static_cast<std::size_t>(p.HelpLines));
}

TEST(Exposition, ALiveLinkInBaseUnits) {
  test::TestApp t;
  t.OpenFakeSerial();
  for (int n = 0; n < 30; ++n) {
    t.source.Push(test::Bytes(test::MakeFrame(76 + n, 100, 70, 10, 20, 12, 35)));
  }
  t.source.Queue += "\xF0\x01\x02\x03\x04\x05\x06\x07\x08";  // a failed check
  t.source.Push(test::Bytes(test::MakeFrame(20, 100, 70, 10, 20, 12, 35)));  // no channel
  t.clock.Monotonic += 250;
  t.Tick();
  t.clock.AdvanceSeconds(3);
  t.Tick();
  const MetricsSnapshot m = TakeMetricsSnapshot(t.app, "9.9.9");
  const Parsed p = Parse(FormatMetrics(m));
  EXPECT_EQ(p.Samples.at("ptpdiag_link_up{kind=\"serial\",port=\"Com1\"}"), "1");
  EXPECT_EQ(p.Samples.at("ptpdiag_frames_total{result=\"good\"}"), "30");
  EXPECT_EQ(p.Samples.at("ptpdiag_frames_total{result=\"failed_check\"}"), "1");
  EXPECT_EQ(p.Samples.at("ptpdiag_frames_total{result=\"ignored_channel\"}"), "1");
  EXPECT_EQ(p.Types.at("ptpdiag_frames_total"), "counter");
  EXPECT_EQ(p.Samples.at("ptpdiag_signal_dbm"), std::to_string(-t.app.Store.ShownSignal));
  EXPECT_EQ(std::stod(p.Samples.at("ptpdiag_transmitter_current_amperes")),
            t.app.Store.ShownCurrent / 1000.0);
  EXPECT_LE(std::stod(p.Samples.at("ptpdiag_received_ratio")), 1.0);
  EXPECT_EQ(p.Samples.at("ptpdiag_seconds_since_last_good_frame"), "3");
  // One series per channel reached, labelled with its place on the axis.
  EXPECT_EQ(p.Samples.count("ptpdiag_channel_noise_dbm{channel=\"1\",frequency_mhz=\"902.4304\"}"), 1U);
  EXPECT_EQ(p.Samples.count("ptpdiag_channel_noise_dbm{channel=\"31\",frequency_mhz=\"909.3424\"}"), 0U);
  int channelSeries = 0;
  for (const auto& [key, value] : p.Samples) channelSeries += key.rfind("ptpdiag_channel_noise_dbm{", 0) == 0;
  EXPECT_EQ(channelSeries, 29);  // channel bytes 76..105: channels 0..29, of which 1..29 are shown
  for (const auto& [name, type] : p.Types) EXPECT_TRUE(type == "gauge" || type == "counter") << name;
}

TEST(Exposition, LabelValuesAreEscaped) {
  MetricsSnapshot m;
  m.LinkKind = "tcp";
  m.LinkPort = "a\"b\\c\nd:1";
  m.Tally.EventsByType[45] = 2;
  const std::string text = FormatMetrics(m);
  EXPECT_NE(text.find("ptpdiag_link_up{kind=\"tcp\",port=\"a\\\"b\\\\c\\nd:1\"} 1\n"), std::string::npos);
  EXPECT_NE(text.find("ptpdiag_link_events_total{type=\"45\"} 2\n"), std::string::npos);
}

}  // namespace
}  // namespace ptpdiag
