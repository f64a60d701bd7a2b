#include "link/capture_recorder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "link/capture_file.h"
#include "link/poll_cycle.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::FakeClock;

class Recorder : public testing::Test {
 protected:
  void SetUp() override {
    path = (std::filesystem::temp_directory_path() /
            ("ptpdiag-rec-" + std::to_string(::getpid()) + "-" +
             testing::UnitTest::GetInstance()->current_test_info()->name() + ".cap"))
               .string();
    std::filesystem::remove(path);
    clock.Local = {2026, 5, 4, 10, 20, 30, 0};
    clock.Monotonic = 5000;
  }
  void TearDown() override { std::filesystem::remove(path); }
  std::string Contents() const {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  FakeClock clock;
  std::string path;
};

TEST_F(Recorder, WhatItWritesReplaysAsTheSameBytesAtTheSameTimes) {
  std::string error;
  auto recorder = CaptureRecorder::Create(path, clock, error);
  ASSERT_TRUE(recorder) << error;
  clock.Monotonic += 250;
  for (int b = 0; b < 40; ++b)
    recorder->Append(static_cast<std::uint8_t>(b * 5));
  clock.Monotonic += 250;
  recorder->Append(0xF0);
  recorder->Finish();

  std::istringstream in(Contents());
  const CaptureResult parsed = ParseCapture(in, path);
  ASSERT_FALSE(parsed.Error) << parsed.Error->Text();
  EXPECT_EQ(parsed.Data.Start.Year, 2026);
  EXPECT_EQ(parsed.Data.Start.Second, 30);
  ASSERT_EQ(parsed.Data.Bytes.size(), 41U);
  for (int b = 0; b < 40; ++b)
    EXPECT_EQ(parsed.Data.Bytes[static_cast<std::size_t>(b)], b * 5);
  // 40 bytes at 250 ms fill one full line and part of another.
  ASSERT_EQ(parsed.Data.Chunks.size(), 3U);
  EXPECT_EQ(parsed.Data.Chunks[0].TimeMs, 250);
  EXPECT_EQ(parsed.Data.Chunks[0].End, CaptureRecorder::kLineBytes);
  EXPECT_EQ(parsed.Data.Chunks[1].TimeMs, 250);
  EXPECT_EQ(parsed.Data.Chunks[2].TimeMs, 500);
}

TEST_F(Recorder, NeverOverwritesAnEarlierRecording) {
  std::ofstream(path) << "0 F0\n";
  std::string error;
  EXPECT_FALSE(CaptureRecorder::Create(path, clock, error));
  EXPECT_NE(error.find("already exists"), std::string::npos);
  EXPECT_EQ(Contents(), "0 F0\n");
}

TEST_F(Recorder, UncreatableFileIsRefusedWithTheReason) {
  std::string error;
  EXPECT_FALSE(CaptureRecorder::Create("/nonexistent-dir/x.cap", clock, error));
  EXPECT_NE(error.find("/nonexistent-dir/x.cap"), std::string::npos);
}

TEST_F(Recorder, DataReachesTheFileWithinASecond) {
  std::string error;
  auto recorder = CaptureRecorder::Create(path, clock, error);
  ASSERT_TRUE(recorder);
  recorder->Append(0xAB);
  recorder->FlushIfDue();
  EXPECT_EQ(Contents().find("AB"), std::string::npos);
  clock.Monotonic += 1000;
  recorder->FlushIfDue();
  EXPECT_NE(Contents().find("0 AB\n"), std::string::npos);
}

TEST_F(Recorder, FullDiskIsReportedOnceAndTheSessionGoesOn) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  test::TestApp t;
  std::string error;
  auto recorder = CaptureRecorder::Create("/dev/full", t.clock, error);
  ASSERT_TRUE(recorder) << error;
  t.app.Link.Recorder = &*recorder;
  t.OpenFakeSerial();
  for (int second = 0; second < 3; ++second) {
    t.source.Push(test::Bytes(test::MakeFrame(80, 105, 70, 1, 2, 3, 4)));
    t.clock.Monotonic += 1000;
    t.Tick();
  }
  EXPECT_EQ(t.app.Store.LinkEventCount, 1);
  EXPECT_EQ(t.app.Store.LinkEventType, kErrRecordWrite);
  EXPECT_TRUE(t.source.Queue.empty());  // every frame was still read
  t.app.Link.Recorder = nullptr;
}

}  // namespace
}  // namespace ptpdiag
