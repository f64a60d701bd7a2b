#include "sim_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <vector>

#include "link/capture_file.h"
#include "sim/frame_generator.h"
#include "support/fake_links.h"

namespace ptpdiag::sim {
namespace {

struct RunResult {
  int Code = 0;
  std::string Out;
  std::string Err;
};

RunResult RunProgram(std::vector<std::string_view> args) {
  std::ostringstream out, err;
  RunResult r;
  test::FakeNetwork network;
  r.Code = RunSim(args, network, out, err);
  r.Out = out.str();
  r.Err = err.str();
  return r;
}

SimOptions Parsed(std::vector<std::string_view> args) {
  const SimOptionsResult result = ParseSimOptions(args);
  EXPECT_FALSE(result.Error) << *result.Error;
  return result.Parsed;
}

TEST(SimOptionsTest, DefaultsAreFiftyHopsFromTheDefaultStart) {
  const SimOptions o = Parsed({});
  EXPECT_FALSE(o.Help);
  EXPECT_EQ(o.Out, "capture");
  EXPECT_FALSE(o.File);
  EXPECT_EQ(o.Generator.HopsPerSecond, 50.0);
  EXPECT_EQ(o.FramesPerLine, 1);
  EXPECT_EQ(o.Generator.BadCheckFraction, 0.0);
  EXPECT_EQ(o.Generator.GarbageFraction, 0.0);
  EXPECT_EQ(o.Generator.LowChannelFraction, 0.0);
  EXPECT_EQ(DurationMs(o), 60'000);
  EXPECT_EQ(o.Start.Year, 2026);
  EXPECT_EQ(o.Start.Month, 1);
  EXPECT_EQ(o.Start.Day, 5);
  EXPECT_EQ(o.Start.Hour, 9);
}

TEST(SimOptionsTest, EveryOptionTakesItsValueEitherWay) {
  const SimOptions o = Parsed({"--out=capture", "--file", "x.cap", "--rate", "25.5", "--seconds=90",
                               "--seed", "18446744073709551615", "--start", "2024-02-29 23:59:59",
                               "--bad-check", "0.1", "--garbage=0.002", "--low-channel", "0.05",
                               "--miss", "0.2", "--frames-per-line", "5"});
  EXPECT_EQ(o.File, "x.cap");
  EXPECT_EQ(o.Generator.HopsPerSecond, 25.5);
  EXPECT_EQ(DurationMs(o), 90'000);
  EXPECT_EQ(o.Generator.Seed, 18446744073709551615ULL);
  EXPECT_EQ(o.Start.Month, 2);
  EXPECT_EQ(o.Start.Day, 29);
  EXPECT_EQ(o.Start.Second, 59);
  EXPECT_EQ(o.Generator.BadCheckFraction, 0.1);
  EXPECT_EQ(o.Generator.GarbageFraction, 0.002);
  EXPECT_EQ(o.Generator.LowChannelFraction, 0.05);
  EXPECT_EQ(o.Generator.MissFraction, 0.2);
  EXPECT_EQ(o.FramesPerLine, 5);
}

TEST(SimOptionsTest, StaticSignalAndStepsAreRead) {
  const SimOptions o = Parsed({"--channel-spread", "6", "--step-at", "60", "--step-db", "3",
                               "--step-at=90", "--step-db=-3"});
  EXPECT_EQ(o.Generator.ChannelSpreadDb, 6.0);
  EXPECT_FALSE(o.Generator.SignalSigmaDb);
  ASSERT_EQ(o.Generator.Steps.size(), 2U);
  EXPECT_EQ(o.Generator.Steps[1].AtS, 90.0);
  EXPECT_EQ(o.Generator.Steps[1].Db, -3.0);
}

TEST(SimOptionsTest, NoiseFloorAndInterferersAreRead) {
  const SimOptions o =
      Parsed({"--noise-floor", "-109", "--noise-spread=3", "--interferer",
              "40-45,duty=0.2,period=10,level=-84", "--interferer", "7,level=-90"});
  EXPECT_EQ(o.Generator.NoiseFloorDbm, -109.0);
  EXPECT_EQ(o.Generator.NoiseSpreadDb, 3.0);
  ASSERT_EQ(o.Generator.Interferers.size(), 2U);
  const Interferer& a = o.Generator.Interferers[0];
  EXPECT_EQ(a.FirstChannel, 40);
  EXPECT_EQ(a.LastChannel, 45);
  EXPECT_EQ(a.Duty, 0.2);
  EXPECT_EQ(a.PeriodS, 10.0);
  EXPECT_EQ(a.LevelDbm, -84.0);
  const Interferer& b = o.Generator.Interferers[1];
  EXPECT_EQ(b.FirstChannel, 7);
  EXPECT_EQ(b.LastChannel, 7);
  EXPECT_EQ(b.Duty, 1.0);  // always on unless told
}

// A fault from 30 s on channels 40 to 44: every hop there transmits it;
// silent from 60 s: nothing is sent.
TEST(SimOptionsTest, VswrFaultAndSilenceShowInTheHops) {
  const SimOptions o = Parsed({"--miss", "0", "--vswr-fault", "40-44,at=30,value=90", "--stop-at", "60"});
  FrameGenerator generator(o.Generator);
  int faulty = 0, faultyBefore = 0;
  std::vector<std::uint8_t> bytes;
  for (GeneratedHop hop = generator.Next(); hop.TimeMs < 90000; hop = generator.Next()) {
    bytes.clear();
    AppendHopBytes(hop, bytes);
    EXPECT_EQ(bytes.empty(), hop.TimeMs >= 60000) << hop.TimeMs;
    const bool onFaultyChannel = hop.Channel >= 40 && hop.Channel <= 44;
    if (!onFaultyChannel || hop.Silent) continue;
    const bool fault = hop.Frame[6] == 90 && hop.Frame[7] != 0;
    (hop.TimeMs >= 30000 ? faulty : faultyBefore) += fault ? 1 : 0;
    if (hop.TimeMs >= 30000) {
      EXPECT_TRUE(fault) << hop.TimeMs;
    }
  }
  EXPECT_GT(faulty, 50);
  EXPECT_EQ(faultyBefore, 0);
}

TEST(SimRunTest, BadInputGivesOneErrorLineAndExitCode2) {
  const std::vector<std::vector<std::string_view>> cases = {
      {"--bogus"},
      {"extra"},
      {"--rate"},
      {"--rate", "0"},
      {"--rate", "fast"},
      {"--rate", "50x"},
      {"--seconds", "-1"},
      {"--seconds", "0"},
      {"--seconds", "nan"},
      {"--seed", "-3"},
      {"--seed", "18446744073709551616"},
      {"--start", "2026-02-30 10:00:00"},
      {"--start", "2026-01-05"},
      {"--bad-check", "1.5"},
      {"--garbage", "-0.1"},
      {"--low-channel", "inf"},
      {"--bad-check", "0.6", "--low-channel", "0.5"},
      {"--miss", "0.95"},
      {"--frames-per-line", "0"},
      {"--frames-per-line", "2.5"},
      {"--out", "serial"},
      {"--file="},
      {"--help=yes"},
      {"--noise-floor", "5"},
      {"--noise-spread", "-1"},
      {"--interferer", "40-45"},              // no level
      {"--interferer", "0-3,level=-80"},      // channel 0
      {"--interferer", "45-40,level=-80"},    // backwards
      {"--interferer", "112,level=-80"},
      {"--interferer", "4,duty=0,level=-80"},
      {"--interferer", "4,level=-80,speed=2"},
      {"--interferer", "4,level=-80,"},
      {"--channel-spread", "31"},
      {"--signal-sigma", "-1"},
      {"--step-db", "3"},                        // no --step-at before it
      {"--step-at", "60"},                       // no --step-db after it
      {"--step-at", "60", "--step-at", "70", "--step-db", "3"},
      {"--step-at", "60", "--step-db", "61"},
      {"--vswr-fault", "40-44,at=30"},              // no value
      {"--vswr-fault", "40-44,at=30,value=256"},
      {"--vswr-fault", "40-44,at=-1,value=90"},
      {"--vswr-fault", "44-40,value=90"},
      {"--stop-at", "-5"},
  };
  for (const auto& args : cases) {
    const RunResult r = RunProgram(args);
    const std::string shown = args.empty() ? "" : std::string(args[0]);
    EXPECT_EQ(r.Code, 2) << shown;
    EXPECT_TRUE(r.Out.empty()) << shown;
    EXPECT_TRUE(r.Err.starts_with("ptpdiag-sim: error: ")) << r.Err;
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
  }
}

TEST(SimRunTest, HelpGoesToStandardOutput) {
  const RunResult r = RunProgram({"--help"});
  EXPECT_EQ(r.Code, 0);
  EXPECT_NE(r.Out.find("--frames-per-line"), std::string::npos);
  EXPECT_TRUE(r.Err.empty());
}

TEST(SimRunTest, VersionIsThePackagesOnStandardOutput) {
  const RunResult r = RunProgram({"--version"});
  EXPECT_EQ(r.Code, 0);
  EXPECT_TRUE(std::regex_match(r.Out, std::regex("ptpdiag [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << r.Out;
  EXPECT_TRUE(r.Err.empty());
  EXPECT_EQ(RunProgram({"--version=1"}).Code, 2);
}

TEST(SimRunTest, WritesAReplayableCaptureThatSaysHowItWasMade) {
  const RunResult r =
      RunProgram({"--seconds", "2", "--start", "2026-03-01 12:00:00", "--seed", "5"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_NE(r.Out.find("#   ptpdiag-sim --seconds 2 --start '2026-03-01 12:00:00' --seed 5\n"),
            std::string::npos)
      << r.Out.substr(0, 200);
  std::istringstream in(r.Out);
  const CaptureResult parsed = ParseCapture(in, "stdout");
  ASSERT_FALSE(parsed.Error) << parsed.Error->Text();
  EXPECT_EQ(parsed.Data.Chunks.size(), 100U);  // 2 s at 50 hops per second
  EXPECT_EQ(parsed.Data.Bytes.size(), 900U);
  EXPECT_EQ(parsed.Data.LastTimeMs, 1980);
  EXPECT_EQ(parsed.Data.Start.Hour, 12);

  // The same seed gives the same file.
  EXPECT_EQ(RunProgram({"--seconds", "2", "--start", "2026-03-01 12:00:00", "--seed", "5"}).Out,
            r.Out);
}

TEST(SimRunTest, WritesToAFileOrSaysWhyNot) {
  const auto dir =
      std::filesystem::temp_directory_path() /
      ("ptpdiag_sim_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "out.cap").string();
  const RunResult r = RunProgram({"--seconds", "1", "--frames-per-line", "10", "--file", path});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_TRUE(r.Out.empty());
  const CaptureResult parsed = ReadCaptureFile(path);
  ASSERT_FALSE(parsed.Error) << parsed.Error->Text();
  EXPECT_EQ(parsed.Data.Chunks.size(), 5U);

  const RunResult bad =
      RunProgram({"--seconds", "1", "--file", (dir / "no" / "such.cap").string()});
  EXPECT_EQ(bad.Code, 1);
  EXPECT_TRUE(bad.Err.starts_with("ptpdiag-sim: cannot write ")) << bad.Err;
  std::filesystem::remove_all(dir);
}

TEST(SimRunTest, CommandLineTextQuotesWhatAShellWouldSplit) {
  const std::vector<std::string_view> args = {"--seed", "3",       "--start", "2026-01-05 09:00:00",
                                              "--file", "it's.cap"};
  EXPECT_EQ(CommandLineText(args),
            "ptpdiag-sim --seed 3 --start '2026-01-05 09:00:00' --file 'it'\\''s.cap'");
}

}  // namespace
}  // namespace ptpdiag::sim
