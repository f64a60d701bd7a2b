#include "sim/capture_writer.h"

#include <gtest/gtest.h>

#include <sstream>

#include "link/capture_file.h"

namespace ptpdiag::sim {
namespace {

TEST(CaptureWriterTest, WritesHeaderAndUpperCaseHexLines) {
  std::ostringstream out;
  {
    CaptureWriter writer(out, 1);
    writer.WriteHeader({"made by hand"}, LocalDateTime{2026, 1, 5, 9, 0, 0, 0});
    GeneratedHop hop;
    hop.TimeMs = 1040;
    hop.Frame = {0xF0, 0x4C, 0x69, 0x46, 0x0C, 0x0A, 0x1C, 0x4B, 0x35};
    writer.Add(hop);
  }
  EXPECT_EQ(out.str(),
            "# made by hand\n"
            "start 2026-01-05 09:00:00\n"
            "1040 F0 4C 69 46 0C 0A 1C 4B 35\n");
}

TEST(CaptureWriterTest, GroupsFramesStampedWithTheLastAndFlushesTheRest) {
  std::ostringstream out;
  CaptureWriter writer(out, 3);
  for (int i = 0; i < 4; ++i) {
    GeneratedHop hop;
    hop.TimeMs = 20 * i;
    hop.Frame.fill(static_cast<std::uint8_t>(i));
    writer.Add(hop);
  }
  const std::string firstLine =
      "40 00 00 00 00 00 00 00 00 00 01 01 01 01 01 01 01 01 01 02 02 02 02 02 02 02 02 02\n";
  EXPECT_EQ(out.str(), firstLine);
  writer.Finish();
  EXPECT_EQ(out.str(), firstLine + "60 03 03 03 03 03 03 03 03 03\n");
  writer.Finish();  // nothing left to write
  EXPECT_EQ(out.str(), firstLine + "60 03 03 03 03 03 03 03 03 03\n");
}

TEST(CaptureWriterTest, ParsesBackToTheSameBytesAndTimes) {
  GeneratorSettings settings;
  settings.Seed = 11;
  settings.GarbageFraction = 0.05;
  settings.BadCheckFraction = 0.02;
  settings.LowChannelFraction = 0.02;
  FrameGenerator generator(settings);
  std::vector<std::uint8_t> sent;
  std::vector<std::int64_t> lineTimes;
  std::ostringstream out;
  const LocalDateTime start{2025, 12, 31, 23, 59, 58, 0};
  {
    CaptureWriter writer(out, 5);
    writer.WriteHeader({"round trip", "second comment"}, start);
    for (int i = 0; i < 1003; ++i) {
      const GeneratedHop hop = generator.Next();
      AppendHopBytes(hop, sent);
      if (i % 5 == 4 || i == 1002) lineTimes.push_back(hop.TimeMs);
      writer.Add(hop);
    }
  }
  std::istringstream in(out.str());
  const CaptureResult parsed = ParseCapture(in, "sim.cap");
  ASSERT_FALSE(parsed.Error) << parsed.Error->Text();
  EXPECT_EQ(parsed.Data.Bytes, sent);
  ASSERT_EQ(parsed.Data.Chunks.size(), lineTimes.size());
  for (std::size_t i = 0; i < lineTimes.size(); ++i)
    EXPECT_EQ(parsed.Data.Chunks[i].TimeMs, lineTimes[i]);
  EXPECT_EQ(parsed.Data.Start.Year, 2025);
  EXPECT_EQ(parsed.Data.Start.Month, 12);
  EXPECT_EQ(parsed.Data.Start.Day, 31);
  EXPECT_EQ(parsed.Data.Start.Hour, 23);
  EXPECT_EQ(parsed.Data.Start.Minute, 59);
  EXPECT_EQ(parsed.Data.Start.Second, 58);
  EXPECT_EQ(parsed.Data.LastTimeMs, lineTimes.back());
}

TEST(CaptureWriterTest, DateTimeTextPadsEveryField) {
  EXPECT_EQ(CaptureDateTimeText(LocalDateTime{987, 3, 4, 5, 6, 7, 0}), "0987-03-04 05:06:07");
}

}  // namespace
}  // namespace ptpdiag::sim
