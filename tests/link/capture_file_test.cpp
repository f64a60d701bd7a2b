#include "link/capture_file.h"

#include <gtest/gtest.h>

#include <sstream>

namespace ptpdiag {
namespace {

CaptureResult Parse(const std::string& text) {
  std::istringstream in(text);
  return ParseCapture(in, "test.cap");
}

TEST(CaptureFile, ReadsStartCommentsAndDataLines) {
  const CaptureResult r = Parse(
      "# recorded at the mast\n"
      "\n"
      "start 2026-03-01 12:00:00\r\n"
      "0 F0 64 5F\n"
      "  # indented comment\n"
      "250 00035a\t\n"
      "250 aB\n");
  ASSERT_FALSE(r.Error) << r.Error->Text();
  EXPECT_EQ(r.Data.Start.Year, 2026);
  EXPECT_EQ(r.Data.Start.Month, 3);
  EXPECT_EQ(r.Data.Start.Hour, 12);
  EXPECT_EQ(r.Data.Bytes, (std::vector<std::uint8_t>{0xF0, 0x64, 0x5F, 0x00, 0x03, 0x5A, 0xAB}));
  ASSERT_EQ(r.Data.Chunks.size(), 3U);
  EXPECT_EQ(r.Data.Chunks[0].TimeMs, 0);
  EXPECT_EQ(r.Data.Chunks[0].End, 3U);
  EXPECT_EQ(r.Data.Chunks[1].End, 6U);
  EXPECT_EQ(r.Data.Chunks[2].TimeMs, 250);
  EXPECT_EQ(r.Data.LastTimeMs, 250);
}

TEST(CaptureFile, DefaultsWithoutStartLineOrData) {
  const CaptureResult r = Parse("# nothing recorded\n");
  ASSERT_FALSE(r.Error);
  EXPECT_EQ(r.Data.Start.Year, 2000);
  EXPECT_EQ(r.Data.Start.Month, 1);
  EXPECT_EQ(r.Data.Start.Day, 1);
  EXPECT_TRUE(r.Data.Chunks.empty());
  EXPECT_EQ(r.Data.LastTimeMs, 0);
}

struct BadCase {
  const char* text;
  int line;
  const char* messagePart;
};

class MalformedCapture : public testing::TestWithParam<BadCase> {};

TEST_P(MalformedCapture, NamesTheLineAndTheProblem) {
  const CaptureResult r = Parse(GetParam().text);
  ASSERT_TRUE(r.Error) << GetParam().text;
  EXPECT_EQ(r.Error->Line, GetParam().line);
  EXPECT_NE(r.Error->Message.find(GetParam().messagePart), std::string::npos) << r.Error->Message;
  EXPECT_EQ(r.Error->Text().rfind("test.cap:" + std::to_string(GetParam().line) + ": ", 0), 0U);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedCapture,
    testing::Values(
        BadCase{"0 F0\n10 F\n", 2, "odd number"}, BadCase{"0 F0 6\n", 1, "odd number"},
        BadCase{"0 G0\n", 1, "not a hex digit: 'G'"}, BadCase{"0 F0  64\n", 1, "two blanks"},
        BadCase{"20 F0\n10 F0\n", 2, "earlier than the line before"},
        BadCase{"-5 F0\n", 1, "expected '<ms> <hex bytes>'"},
        BadCase{"x F0\n", 1, "expected '<ms> <hex bytes>'"}, BadCase{"100\n", 1, "no hex bytes"},
        BadCase{"100F0\n", 1, "expected a blank after the time"},
        BadCase{"99999999999999999999 F0\n", 1, "time too large"},
        BadCase{"1000000000001 F0\n", 1, "time too large"},
        BadCase{"start 2026-02-30 00:00:00\n", 1, "valid date"},
        BadCase{"start 2026-13-01 00:00:00\n", 1, "valid date"},
        BadCase{"start 2026-01-01 24:00:00\n", 1, "valid date"},
        BadCase{"start 2026-01-01\n", 1, "valid date"},
        BadCase{"start 2026-01-01 00:00:00\nstart 2026-01-01 00:00:00\n", 2, "second 'start'"},
        BadCase{"0 F0\nstart 2026-01-01 00:00:00\n", 2, "before the data"},
        BadCase{"0 F0\x01\n", 1, "byte 0x01"}, BadCase{"\x7f\x45LF\n", 1, "byte 0x7F"},
        BadCase{"timing fast\n", 1, "'timing ticks' or 'timing arrival'"},
        BadCase{"timing ticks\ntiming ticks\n", 2, "second 'timing'"},
        BadCase{"0 F0\ntiming ticks\n", 2, "before the data"},
        BadCase{"end\n", 1, "expected 'end <ms>'"}, BadCase{"end 5x\n", 1, "expected 'end <ms>'"},
        BadCase{"end -5\n", 1, "expected 'end <ms>'"},
        BadCase{"10 F0\nend 5\n", 2, "earlier than the last data line"},
        BadCase{"end 5\n0 F0\n", 2, "nothing may follow"},
        BadCase{"0 F0\nend 5\n# a comment is fine\nend 6\n", 4, "nothing may follow"},
        BadCase{"tick\n", 1, "expected 'tick <ms>'"},
        BadCase{"tick 9223372036854775807\n", 1, "time too large"},
        BadCase{"0 F0\nend 99999999999999999999\n", 2, "time too large"}, BadCase{"tick 5 F0\n", 1, "expected 'tick <ms>'"},
        BadCase{"10 F0\ntick 5\n", 2, "earlier than the line before"},
        BadCase{"tick 10\nstart 2026-01-01 00:00:00\n", 2, "before the data"}));

TEST(CaptureFile, TimingAndEndLinesAreRead) {
  const CaptureResult r =
      Parse("start 2026-03-01 12:00:00\ntiming ticks\n251 F0\ntick 502\n753 A1\nend 1250\n");
  ASSERT_FALSE(r.Error) << r.Error->Text();
  EXPECT_EQ(r.Data.Timing, CaptureTiming::Ticks);
  ASSERT_EQ(r.Data.Chunks.size(), 3U);
  EXPECT_EQ(r.Data.Chunks[1].TimeMs, 502);
  EXPECT_EQ(r.Data.Chunks[1].End, 1U);  // a tick line has no bytes
  EXPECT_EQ(r.Data.Bytes, (std::vector<std::uint8_t>{0xF0, 0xA1}));
  EXPECT_EQ(r.Data.EndMs, 1250);
  EXPECT_FALSE(r.Data.CutShort);
  const CaptureResult plain = Parse("timing arrival\n0 F0\n");
  ASSERT_FALSE(plain.Error);
  EXPECT_EQ(plain.Data.Timing, CaptureTiming::Arrival);
  EXPECT_FALSE(plain.Data.EndMs);
}

struct TornCase {
  const char* text;  // a recording that stopped mid-write: no final line end
  std::vector<std::uint8_t> bytes;
  std::int64_t lastMs;
  bool cutShort;
};

class TornLastLine : public testing::TestWithParam<TornCase> {};

TEST_P(TornLastLine, KeepsItsWholeBytePairsAndNothingElse) {
  const CaptureResult r = Parse(GetParam().text);
  ASSERT_FALSE(r.Error) << r.Error->Text();
  EXPECT_EQ(r.Data.Bytes, GetParam().bytes);
  EXPECT_EQ(r.Data.LastTimeMs, GetParam().lastMs);
  EXPECT_EQ(r.Data.CutShort, GetParam().cutShort);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TornLastLine,
    testing::Values(TornCase{"0 F0\n10 A1B2C", {0xF0, 0xA1, 0xB2}, 10, true},
                    TornCase{"0 F0\n10 A1 B2 C", {0xF0, 0xA1, 0xB2}, 10, true},
                    TornCase{"0 F0\n10 A1 B2", {0xF0, 0xA1, 0xB2}, 10, true},
                    TornCase{"0 F0\n10 A1 B", {0xF0, 0xA1}, 10, true},
                    TornCase{"0 F0\n10 A", {0xF0}, 0, true},
                    TornCase{"0 F0\n10 ", {0xF0}, 0, true},
                    TornCase{"0 F0\n10", {0xF0}, 0, true},  // the time itself may be cut
                    TornCase{"0 F0\n1", {0xF0}, 0, true},
                    TornCase{"20 F0\n10 A1", {0xF0}, 20, true},  // a time gone wrong is not trusted
                    TornCase{"0 F0\n10 A1G2", {0xF0, 0xA1}, 10, true},
                    TornCase{"0 F0\n# a note", {0xF0}, 0, false},
                    TornCase{"0 F0\nend 10", {0xF0}, 0, false},
                    TornCase{"0 F0\ne", {0xF0}, 0, true}));

TEST(CaptureFile, LeapDayIsAValidStart) {
  const CaptureResult r = Parse("start 2024-02-29 23:59:59\n");
  ASSERT_FALSE(r.Error);
  EXPECT_EQ(r.Data.Start.Day, 29);
}

TEST(CaptureFile, MissingFileAndDirectoryAreReportedWithoutALine) {
  const CaptureResult missing = ReadCaptureFile("/nonexistent/dir/none.cap");
  ASSERT_TRUE(missing.Error);
  EXPECT_EQ(missing.Error->Text(),
            "/nonexistent/dir/none.cap: cannot open the capture file: No such file or directory");
  const CaptureResult dir = ReadCaptureFile("/tmp");
  ASSERT_TRUE(dir.Error);
  EXPECT_EQ(dir.Error->Line, 0);
}

TEST(CaptureFile, VeryLongLineIsRead) {
  std::string line = "0";
  for (int i = 0; i < 200000; ++i)
    line += " F0";
  const CaptureResult r = Parse(line + "\n");
  ASSERT_FALSE(r.Error);
  EXPECT_EQ(r.Data.Bytes.size(), 200000U);
}

TEST(CaptureFile, ACancelEndsTheReadingAmongBlankLinesWithoutAnError) {
  auto in = std::make_shared<std::istringstream>(std::string(3 * kLinesBetweenCancelChecks, '\n') + "0 F0\n");
  class Lines final : public CaptureText {
   public:
    explicit Lines(std::shared_ptr<std::istringstream> in) : in_(std::move(in)) {}
    bool NextLine(std::string& line, bool& ended) override {
      ended = true;
      return static_cast<bool>(std::getline(*in_, line));
    }
   private:
    std::shared_ptr<std::istringstream> in_;
  };
  CaptureReader reader(std::make_unique<Lines>(in), "blank.cap");
  int asked = 0;
  reader.SetCancel([&asked] { return ++asked == 2; });
  EXPECT_FALSE(reader.Next());
  EXPECT_FALSE(reader.Next());  // stays ended
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(reader.Error());
}

}  // namespace
}  // namespace ptpdiag
