#include "link/capture_recorder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "link/capture_file.h"
#include "link/link_events.h"
#include "link/replay.h"
#include "shell/startup.h"
#include "support/temp_folder.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

class Recorder : public testing::Test {
 protected:
  std::string Contents(const std::string& name) const {
    std::ifstream in(folder.File(name), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::optional<CaptureRecorder> Make(const std::string& name) {
    std::string error;
    auto recorder = CaptureRecorder::Create(folder.File(name), error);
    EXPECT_TRUE(recorder) << error;
    return recorder;
  }
  test::TempFolder folder;
  const LocalDateTime origin{2026, 5, 4, 10, 20, 30, 0};
};

TEST_F(Recorder, EachByteIsStampedWithTheTickThatTookIt) {
  auto recorder = Make("a.cap");
  recorder->Begin(5000, origin);
  recorder->StartTick(5251);
  for (int b = 0; b < 40; ++b) recorder->Append(static_cast<std::uint8_t>(b * 5));
  recorder->EndTick();
  recorder->StartTick(5503);  // a tick that took nothing writes a tick line
  recorder->EndTick();
  recorder->StartTick(5754);
  recorder->Append(0xF0);
  recorder->EndTick();
  recorder->Finish();

  const CaptureResult parsed = ReadCaptureFile(folder.File("a.cap"));
  ASSERT_FALSE(parsed.Error) << parsed.Error->Text();
  EXPECT_EQ(parsed.Data.Start.Second, 30);
  EXPECT_EQ(parsed.Data.Timing, CaptureTiming::Ticks);
  ASSERT_EQ(parsed.Data.Bytes.size(), 41U);
  for (int b = 0; b < 40; ++b) EXPECT_EQ(parsed.Data.Bytes[static_cast<std::size_t>(b)], b * 5);
  // 40 bytes of one tick fill one full line and part of another.
  ASSERT_EQ(parsed.Data.Chunks.size(), 4U);
  EXPECT_EQ(parsed.Data.Chunks[0].TimeMs, 251);
  EXPECT_EQ(parsed.Data.Chunks[0].End, CaptureRecorder::kLineBytes);
  EXPECT_EQ(parsed.Data.Chunks[1].TimeMs, 251);
  EXPECT_EQ(parsed.Data.Chunks[2].TimeMs, 503);
  EXPECT_EQ(parsed.Data.Chunks[2].End, 40U);
  EXPECT_EQ(parsed.Data.Chunks[3].TimeMs, 754);
  EXPECT_NE(Contents("a.cap").find("\ntick 503\n"), std::string::npos);
  EXPECT_EQ(parsed.Data.EndMs, 754);
}

TEST_F(Recorder, EveryTickReachesTheFileByItsEnd) {
  auto recorder = Make("b.cap");
  recorder->Begin(0, origin);
  recorder->StartTick(250);
  recorder->Append(0xAB);
  EXPECT_EQ(Contents("b.cap").find("AB"), std::string::npos);
  recorder->EndTick();
  EXPECT_NE(Contents("b.cap").find("250 AB\n"), std::string::npos);
}

TEST_F(Recorder, ANameEndingInGzIsWrittenCompressedAndReadBack) {
  auto recorder = Make("c.cap.gz");
  recorder->Begin(0, origin);
  for (int tick = 1; tick <= 100; ++tick) {
    recorder->StartTick(250 * tick);
    for (int b = 0; b < 45; ++b) recorder->Append(static_cast<std::uint8_t>(b));
    recorder->EndTick();
  }
  recorder->Finish();
  const std::string raw = Contents("c.cap.gz");
  ASSERT_GE(raw.size(), 2U);
  EXPECT_EQ(static_cast<unsigned char>(raw[0]), 0x1F);  // gzip's magic
  EXPECT_EQ(static_cast<unsigned char>(raw[1]), 0x8B);
  const CaptureResult parsed = ReadCaptureFile(folder.File("c.cap.gz"));
  ASSERT_FALSE(parsed.Error) << parsed.Error->Text();
  EXPECT_EQ(parsed.Data.Bytes.size(), 4500U);
  EXPECT_EQ(parsed.Data.EndMs, 25000);
  EXPECT_FALSE(parsed.Data.CutShort);
}

// A crash leaves the file as it was at the last tick's flush, even
// compressed: it replays up to there.
TEST_F(Recorder, ACompressedRecordingCutShortStillReads) {
  auto recorder = Make("d.cap.gz");
  recorder->Begin(0, origin);
  for (int tick = 1; tick <= 20; ++tick) {
    recorder->StartTick(250 * tick);
    for (int b = 0; b < 18; ++b) recorder->Append(0x5A);
    recorder->EndTick();
  }
  const std::string flushed = Contents("d.cap.gz");
  std::ofstream(folder.File("e.cap.gz"), std::ios::binary) << flushed;  // no gzip trailer
  const CaptureResult parsed = ReadCaptureFile(folder.File("e.cap.gz"));
  ASSERT_FALSE(parsed.Error) << parsed.Error->Text();
  EXPECT_EQ(parsed.Data.Bytes.size(), 20U * 18U);
  EXPECT_EQ(parsed.Data.LastTimeMs, 5000);
}

// A session with a drifting timer, frames torn across ticks, quiet spells
// and bad bytes, recorded and replayed: the replay must rebuild the same
// history, averages and counters the live session had.
TEST_F(Recorder, ALiveSessionReplaysToTheSameHistory) {
  test::TestApp live;
  const LocalDateTime began = live.clock.Local;
  const std::int64_t beganMs = live.clock.Monotonic;
  auto recorder = Make("live.cap");
  recorder->Begin(beganMs, began);
  live.app.Link.Recorder = &*recorder;
  live.OpenFakeSerial();
  std::string pending;
  for (int n = 0; n < 900; ++n) {
    const int channel = 1 + (n * 7) % 111;
    const auto frame = test::Bytes(test::MakeFrame(channel, 90 + n % 30, n % 13 == 0 ? 0 : 60 + n % 20,
                                                   n % 40, n % 35, 20 + n % 4, n % 3 == 0 ? 90 : 0));
    pending.append(frame.begin(), frame.end());
    if (n % 97 == 0) pending.append("\x13\xF0\x22");  // line noise
  }
  std::size_t sent = 0;
  for (int tick = 1; tick <= 500; ++tick) {
    // 234..266 ms between ticks; now and then a quiet spell of seconds.
    live.clock.Monotonic += 234 + (tick * 17) % 33 + (tick % 120 == 0 ? 6000 : 0);
    live.clock.Local = AddSeconds(began, (live.clock.Monotonic - beganMs) / 1000);
    const std::size_t chunk = std::min<std::size_t>((tick * 29) % 41, pending.size() - sent);
    live.source.Queue.append(pending, sent, chunk);
    sent += chunk;
    live.Tick();
  }
  recorder->Finish();
  live.app.Link.Recorder = nullptr;

  const CaptureResult parsed = ReadCaptureFile(folder.File("live.cap"));
  ASSERT_FALSE(parsed.Error) << parsed.Error->Text();
  ReplayClock clock(parsed.Data.Start);
  AppContext replayed(clock);
  NullCanvas canvas;
  BackedWindow window(800, 560, &canvas);
  SetStartValues(replayed);
  replayed.Window.ScreenNumber = 3;
  CreateMainWindow(replayed, window);
  CaptureFeed feed(LinesOf(parsed.Data));
  ReplayPlan plan;
  plan.Timing = parsed.Data.Timing;
  plan.EndMs = [&parsed] { return parsed.Data.EndMs; };
  RunReplay(replayed, window, clock, feed, plan);

  const DiagnosticsStore& a = live.app.Store;
  const DiagnosticsStore& b = replayed.Store;
  EXPECT_GT(a.HistIndex, 20);
  EXPECT_EQ(a.HistIndex, b.HistIndex);
  EXPECT_EQ(a.HistTime, b.HistTime);
  EXPECT_EQ(a.HistSignal, b.HistSignal);
  EXPECT_EQ(a.HistNoise, b.HistNoise);
  EXPECT_EQ(a.HistErrorRate, b.HistErrorRate);
  EXPECT_EQ(a.HistMissCount, b.HistMissCount);
  EXPECT_EQ(a.FreqNoise, b.FreqNoise);
  EXPECT_EQ(a.FreqGoodScore, b.FreqGoodScore);
  EXPECT_EQ(a.ShownRcvdRate, b.ShownRcvdRate);
  EXPECT_EQ(a.MissRun, b.MissRun);
  EXPECT_EQ(a.MaxMissRun, b.MaxMissRun);
  EXPECT_EQ(a.PeriodFrames, b.PeriodFrames);
}

TEST_F(Recorder, NeverOverwritesAnEarlierRecording) {
  std::ofstream(folder.File("f.cap"), std::ios::binary) << "0 F0\n";
  std::string error;
  EXPECT_FALSE(CaptureRecorder::Create(folder.File("f.cap"), error));
  EXPECT_NE(error.find("already exists"), std::string::npos);
  EXPECT_EQ(Contents("f.cap"), "0 F0\n");
}

TEST_F(Recorder, UncreatableFileIsRefusedWithTheReason) {
  std::string error;
  EXPECT_FALSE(CaptureRecorder::Create(folder.File("none/x.cap"), error));
  EXPECT_NE(error.find("none"), std::string::npos);
}

TEST_F(Recorder, FullDiskIsReportedOnceAndTheSessionGoesOn) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  test::TestApp t;
  std::string error;
  auto recorder = CaptureRecorder::Create("/dev/full", error);
  ASSERT_TRUE(recorder) << error;
  recorder->Begin(t.clock.Monotonic, origin);
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
  EXPECT_TRUE(recorder->Failed());
  EXPECT_FALSE(recorder->FailureText().empty());
  t.app.Link.Recorder = nullptr;
}

// A compressed recording read back as the recorder left it, stopped before
// closing it, or as a damaged copy would be: each ending in its own words.
TEST_F(Recorder, ACompressedRecordingSaysHowItEnded) {
  auto recorder = Make("r.cap.gz");
  recorder->Begin(0, origin);
  for (int t = 1; t <= 300; ++t) {
    recorder->StartTick(250 * t);
    for (int b = 0; b < 9; ++b) recorder->Append(static_cast<std::uint8_t>(t * 7 + b * 31));
    recorder->EndTick();
  }
  const std::string open = Contents("r.cap.gz");  // as a killed recorder leaves it
  recorder->Finish();
  recorder.reset();
  const std::string closed = Contents("r.cap.gz");
  std::string badCheck = closed;
  badCheck[badCheck.size() - 8] ^= 0x5A;
  std::string damaged = closed;
  for (std::size_t i = 40; i < 80; ++i) damaged[i] ^= 0x5A;
  struct Case {
    std::string Bytes;
    TextEnd End;
    const char* Error;  // "" for none
  };
  const Case cases[] = {
      {closed, TextEnd::Whole, ""},
      {open, TextEnd::Unclosed, ""},
      {closed.substr(0, closed.size() / 2), TextEnd::Cut, ""},
      {closed.substr(0, closed.size() - 4), TextEnd::Cut, ""},  // in the trailer
      {closed + "junk", TextEnd::Whole, "something other than compressed data follows its end"},
      {badCheck, TextEnd::Whole, "the compressed data is damaged (incorrect data check)"},
      {damaged, TextEnd::Whole, "the compressed data is damaged ("},
  };
  for (const Case& c : cases) {
    test::Put(folder.File("copy.cap.gz"), c.Bytes);
    CaptureError error;
    const auto reader = CaptureReader::Open(folder.File("copy.cap.gz"), error);
    ASSERT_TRUE(reader);
    std::size_t lines = 0;
    while (reader->Next()) ++lines;
    const std::string what = std::to_string(c.Bytes.size()) + " bytes";
    if (*c.Error != '\0') {
      ASSERT_TRUE(reader->Error()) << what;
      EXPECT_EQ(reader->Error()->Text().rfind(folder.File("copy.cap.gz") + ": " + c.Error, 0), 0U)
          << reader->Error()->Text();
      continue;
    }
    EXPECT_FALSE(reader->Error()) << what << ": " << reader->Error()->Text();
    EXPECT_EQ(reader->Ending(), c.End) << what;
    EXPECT_GT(lines, c.End == TextEnd::Cut ? 0U : 299U) << what;
  }
}

}  // namespace
}  // namespace ptpdiag
