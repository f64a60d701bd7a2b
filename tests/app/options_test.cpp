#include "app/options.h"

#include <gtest/gtest.h>

#include <vector>

namespace ptpdiag {
namespace {

OptionsResult Parse(std::vector<std::string_view> args) {
  return ParseOptions(args);
}

TEST(Options, NoneMeansTheWindowOnScreenThree) {
  const OptionsResult r = Parse({});
  ASSERT_FALSE(r.Error);
  EXPECT_FALSE(r.Parsed.Headless);
  EXPECT_EQ(r.Parsed.Screen, 3);
  EXPECT_EQ(r.Parsed.Width, 800);
  EXPECT_EQ(r.Parsed.Height, 560);
}

TEST(Options, AllValueOptionsInBothSpellings) {
  const OptionsResult r =
      Parse({"--headless", "--replay", "a.cap", "--screen=2", "--report", "r.json",
             "--snapshot=s.PNG", "--size", "640x480", "--until=9000"});
  ASSERT_FALSE(r.Error) << *r.Error;
  const Options& o = r.Parsed;
  EXPECT_TRUE(o.Headless);
  EXPECT_EQ(o.ReplayFile, "a.cap");
  EXPECT_EQ(o.Screen, 2);
  EXPECT_EQ(o.ReportFile, "r.json");
  EXPECT_EQ(o.SnapshotFile, "s.PNG");
  EXPECT_EQ(o.Width, 640);
  EXPECT_EQ(o.Height, 480);
  EXPECT_EQ(o.UntilMs, 9000);
  EXPECT_TRUE(IsPngPath(*o.SnapshotFile));
  EXPECT_FALSE(IsPngPath("s.svg"));
}

struct BadOptions {
  std::vector<std::string_view> args;
  const char* messagePart;
};

class RejectedOptions : public testing::TestWithParam<BadOptions> {};

TEST_P(RejectedOptions, SayWhatIsWrong) {
  const OptionsResult r = Parse(GetParam().args);
  ASSERT_TRUE(r.Error);
  EXPECT_NE(r.Error->find(GetParam().messagePart), std::string::npos) << *r.Error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RejectedOptions,
    testing::Values(BadOptions{{"--bogus"}, "unknown option '--bogus'"},
                    BadOptions{{"extra"}, "unknown option 'extra'"},
                    BadOptions{{"--headless=yes"}, "unknown option '--headless=yes'"},
                    BadOptions{{"--screen", "6"}, "--screen wants 1 to 5"},
                    BadOptions{{"--scale", "5", "--snapshot", "s.png"}, "--scale wants a whole number"},
                    BadOptions{{"--scale", "2", "--snapshot", "s.svg"}, "--scale is for PNG snapshots"},
                    BadOptions{{"--screen", "0"}, "--screen wants 1 to 5"},
                    BadOptions{{"--screen"}, "--screen needs a value"},
                    BadOptions{{"--size", "800"}, "--size wants WIDTHxHEIGHT"},
                    BadOptions{{"--size", "0x560"}, "--size wants"},
                    BadOptions{{"--size", "99999x560"}, "--size wants"},
                    BadOptions{{"--size", "-8x-5"}, "--size wants"},
                    BadOptions{{"--snapshot", "shot.jpg"}, ".svg or .png"},
                    BadOptions{{"--replay", "a", "--until", "-1"}, "--until wants"},
                    BadOptions{{"--replay", "a", "--until", "12abc"}, "--until wants"},
                    BadOptions{{"--until", "100"}, "only applies to --replay"},
                    BadOptions{{"--metrics", "localhostx:9100"}, "--metrics wants [HOST:]PORT"},
                    BadOptions{{"--metrics", "example.org:9100"}, "dotted IPv4"},
                    BadOptions{{"--metrics", "127.0.0.1:65536"}, "--metrics wants"},
                    BadOptions{{"--metrics", ""}, "--metrics wants"},
                    BadOptions{{"--headless", "--replay", "a.cap", "--metrics", "9100"},
                               "a headless replay ends at once"},
                    BadOptions{{"--export-csv="}, "--export-csv wants a name"}));

struct MetricsAddress {
  const char* value;
  const char* host;
  std::uint16_t port;
};

class MetricsOption : public testing::TestWithParam<MetricsAddress> {};

TEST_P(MetricsOption, ServesOnLoopbackUnlessAHostIsNamed) {
  const OptionsResult r = Parse({"--metrics", GetParam().value});
  ASSERT_FALSE(r.Error) << *r.Error;
  EXPECT_EQ(r.Parsed.MetricsHost, GetParam().host);
  EXPECT_EQ(r.Parsed.MetricsPort, GetParam().port);
}

INSTANTIATE_TEST_SUITE_P(Addresses, MetricsOption,
                         testing::Values(MetricsAddress{"9141", "127.0.0.1", 9141},
                                         MetricsAddress{"0.0.0.0:9141", "0.0.0.0", 9141},
                                         MetricsAddress{"localhost:0", "127.0.0.1", 0},
                                         MetricsAddress{"192.0.2.4:80", "192.0.2.4", 80}));

// The web view's server: a token is needed off loopback, checked for
// what a URL can carry, and is for a server only.
TEST(Options, ServeAsksForATokenOffLoopback) {
  const struct {
    std::vector<std::string> args;
    const char* error;  // empty: accepted
  } cases[] = {
      {{"--serve", "8080"}, ""},
      {{"--serve", "0.0.0.0:8080", "--token", "auto"}, ""},
      {{"--metrics", "0.0.0.0:9141"}, ""},
      {{"--serve", "0.0.0.0:8080"}, "--serve on 0.0.0.0 needs --token"},
      {{"--serve", "192.0.2.4:80", "--token", "abcdefghij-KLMNOP"}, ""},
      {{"--serve", "8080", "--token", "too-short"}, "--token wants auto or a token: a token has 16 to 128"},
      {{"--serve", "8080", "--token", "abcdefghij KLMNOP"}, "letters, digits, '-' and '_' only"},
      {{"--token", "auto"}, "--token is for the server"},
      {{"--serve", "8080", "--metrics", "9141"}, "name the one server"},
  };
  for (const auto& c : cases) {
    std::vector<std::string_view> args(c.args.begin(), c.args.end());
    const OptionsResult r = ParseOptions(args);
    const std::string error = r.Error.value_or("");
    if (*c.error == '\0') {
      EXPECT_EQ(error, "") << c.args[0];
    } else {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
  }
}

TEST(Options, ExportCsvDropsAFinalCsvFromTheName) {
  const OptionsResult r = Parse({"--export-csv", "out/link.csv"});
  ASSERT_FALSE(r.Error);
  EXPECT_EQ(r.Parsed.ExportCsvName, "out/link");
}

TEST(Options, UsageListsEveryOption) {
  const std::string usage = UsageText();
  for (const char* name : {"--headless", "--replay", "--until", "--screen", "--report",
                           "--snapshot", "--size", "--help", "--export-csv", "--metrics",
                           "--no-reconnect", "--version", "3090 Record", "3091 Export CSV", "3092 Save Picture"}) {
    EXPECT_NE(usage.find(name), std::string::npos) << name;
  }
}

}  // namespace
}  // namespace ptpdiag
