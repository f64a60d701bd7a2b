#include "link/replay.h"

#include <gtest/gtest.h>

#include <sstream>

#include "link/diag_frame.h"
#include "shell/startup.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

Capture ParseOrDie(const std::string& text) {
  std::istringstream in(text);
  CaptureResult r = ParseCapture(in, "replay.cap");
  EXPECT_FALSE(r.Error) << r.Error->Text();
  return r.Data;
}

struct TickCase {
  std::int64_t lastDataMs;
  std::optional<std::int64_t> until;
  std::int64_t endMs;
};

class ArrivalEnd : public testing::TestWithParam<TickCase> {};

TEST_P(ArrivalEnd, CoversTheDataPlusTwoAndAHalfSeconds) {
  EXPECT_EQ(ArrivalReplayEndMs(GetParam().lastDataMs, GetParam().until), GetParam().endMs);
}

INSTANTIATE_TEST_SUITE_P(Cases, ArrivalEnd,
                         testing::Values(TickCase{0, std::nullopt, 2500},
                                         TickCase{1, std::nullopt, 2750},
                                         TickCase{250, std::nullopt, 2750},
                                         TickCase{251, std::nullopt, 3000}, TickCase{0, 0, 0},
                                         TickCase{0, 1, 250}, TickCase{99999, 1000, 1000}));

struct DateCase {
  LocalDateTime start;
  std::int64_t seconds;
  LocalDateTime expected;
};

class CalendarSeconds : public testing::TestWithParam<DateCase> {};

TEST_P(CalendarSeconds, AddUpOverMonthAndYearEnds) {
  const LocalDateTime t = AddSeconds(GetParam().start, GetParam().seconds);
  const LocalDateTime& e = GetParam().expected;
  EXPECT_EQ(std::tie(t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second),
            std::tie(e.Year, e.Month, e.Day, e.Hour, e.Minute, e.Second));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CalendarSeconds,
    testing::Values(DateCase{{2026, 3, 1, 12, 0, 0}, 0, {2026, 3, 1, 12, 0, 0}},
                    DateCase{{2026, 12, 31, 23, 59, 59}, 1, {2027, 1, 1, 0, 0, 0}},
                    DateCase{{2024, 2, 28, 23, 0, 0}, 3600, {2024, 2, 29, 0, 0, 0}},
                    DateCase{{2026, 2, 28, 23, 0, 0}, 3600, {2026, 3, 1, 0, 0, 0}},
                    DateCase{{2026, 1, 5, 9, 0, 0}, 6 * 3600 + 61, {2026, 1, 5, 15, 1, 1}},
                    DateCase{{2026, 1, 1, 0, 0, 0}, 400LL * 86400, {2027, 2, 5, 0, 0, 0}}));

TEST(ReplayClock, LocalTimeAndMonotonicFollowTheTick) {
  ReplayClock clock({2026, 3, 1, 23, 59, 59});
  clock.SetMs(1750);
  EXPECT_EQ(clock.MonotonicMs(), 1750);
  const LocalDateTime now = clock.LocalNow();
  EXPECT_EQ(now.Day, 2);
  EXPECT_EQ(now.Second, 0);
  EXPECT_EQ(now.Millisecond, 750);
}

TEST(CaptureFeed, BytesArriveByTimeInFileOrder) {
  const Capture c = ParseOrDie("0 0102\n100 03\n100 04\n300 05\n");
  CaptureFeed feed(LinesOf(c));
  EXPECT_EQ(feed.BytesAvailable(), 0);
  feed.ArriveUntil(99);
  EXPECT_EQ(feed.BytesAvailable(), 2);
  feed.ArriveUntil(250);
  EXPECT_EQ(feed.BytesAvailable(), 4);
  EXPECT_EQ(feed.NextArrivalMs(), 300);
  EXPECT_EQ(feed.Read(3).Bytes, std::string("\x01\x02\x03"));
  EXPECT_EQ(feed.BytesAvailable(), 1);
  EXPECT_EQ(feed.Read(5).Bytes, std::string("\x04"));
  EXPECT_TRUE(feed.Read(1).Bytes.empty());
  feed.ArriveUntil(1000);
  EXPECT_EQ(feed.Read(1).Bytes, std::string("\x05"));
  EXPECT_FALSE(feed.NextArrivalMs());
}

// Runs a capture the way the headless program does.
struct Replayed {
  explicit Replayed(const std::string& text, std::optional<std::int64_t> until = std::nullopt)
      : capture(ParseOrDie(text)), clock(capture.Start), app(clock), window(800, 560, &canvas) {
    SetStartValues(app);
    CreateMainWindow(app, window);
    CaptureFeed feed(LinesOf(capture));
    ReplayPlan plan;
    plan.Timing = capture.Timing;
    plan.UntilMs = until;
    plan.EndMs = [this] { return capture.EndMs; };
    RunReplay(app, window, clock, feed, plan);
  }
  Capture capture;
  ReplayClock clock;
  AppContext app;
  NullCanvas canvas;
  BackedWindow window;
};

TEST(CaptureFeed, EverythingAtOneTimeArrivesAMebibyteAtATimeAndNothingIsLost) {
  const std::string frame = " F0 64 5F 00 03 04 14 00 28";
  std::string line = "0";
  for (int i = 0; i < 40000; ++i) line += frame;  // 360,000 bytes
  std::string text;
  for (int i = 0; i < 5; ++i) text += line + "\n";
  const Capture c = ParseOrDie(text);
  CaptureFeed feed(LinesOf(c));
  std::vector<std::int32_t> arrivals;
  for (int tick = 0; tick < 4; ++tick) {
    feed.ArriveUntil(0);
    arrivals.push_back(feed.BytesAvailable());
    static_cast<void>(feed.Read(feed.BytesAvailable()));
  }
  EXPECT_EQ(arrivals, (std::vector<std::int32_t>{1080000, 720000, 0, 0}));
  Replayed r(text);
  EXPECT_EQ(r.app.Link.Tally.FramesGood + r.app.Link.Tally.FramesIgnoredChannel, 200000U);
}

TEST(Replay, OneMissedHopMakesOneHistorySlotAfterTwoSeconds) {
  Replayed r("start 2026-03-01 12:00:00\n0 F0 64 5F 00 03 04 14 00 28\n");
  const DiagnosticsStore& s = r.app.Store;
  EXPECT_EQ(s.StartSeconds, 1135296000 + 5097600 + 86400 + 43200);
  EXPECT_EQ(s.HistIndex, 1);
  EXPECT_EQ(s.HistTime[1], 2);
  EXPECT_EQ(s.HistNoise[1], 33);
  EXPECT_EQ(s.HistErrorRate[1], 128);
  EXPECT_EQ(s.HistMissCount[0], 1);
  EXPECT_EQ(s.HistXmit[0], 3);
  EXPECT_EQ(s.HistRcvd[0], 4);
  EXPECT_EQ(s.FreqNoise[24], 132);
  EXPECT_EQ(s.FreqPeakNoise[24], 33);
  EXPECT_EQ(s.ShownNoise, 95);
  EXPECT_EQ(s.ShownMaxMissed, 1);
  EXPECT_EQ(s.MaxMissRun, 0);
  EXPECT_EQ(s.MissRun, 1);
  EXPECT_EQ(s.PeriodFrames, 0);
  EXPECT_EQ(r.clock.Ms(), 2500);
}

TEST(Replay, UntilStopsEarly) {
  Replayed r("0 F0 64 5F 00 03 04 14 00 28\n", 1750);
  EXPECT_EQ(r.app.Store.HistIndex, 0);
  EXPECT_EQ(r.app.Store.PeriodFrames, 1);
  EXPECT_EQ(r.clock.Ms(), 1750);
}

TEST(Replay, LongGapsAreCrossedWithoutLosingTheTimeAxis) {
  // A frame, a day of silence, another frame: the second frame's period is
  // closed by the first tick that sees it, stamped with its own time.
  const std::string frame = " F0 64 5F 00 03 04 14 00 28\n";
  Replayed r("0" + frame + "86400000" + frame);
  const DiagnosticsStore& s = r.app.Store;
  EXPECT_EQ(s.HistIndex, 2);
  EXPECT_EQ(s.HistTime[2], 86400);
  EXPECT_EQ(r.clock.Ms(), 86402500);
}

TEST(Replay, SameResultAsTickingEveryTimerMessage) {
  // Frames at irregular times; the skipping run and a plain tick-by-tick run
  // must leave the same store.
  std::string text = "start 2026-01-05 09:00:00\n";
  std::int64_t t = 0;
  for (int n = 0; n < 400; ++n) {
    t += (n % 37 == 0) ? 7000 : 40 + (n * 13) % 90;
    const DiagFrame f =
        test::MakeFrame(76 + (n * 7) % 112, 100 + n % 15, n % 9 == 0 ? 0 : 70 + n % 11, n % 50,
                        n % 40, 20 + n % 5, n % 2 == 0 ? 80 : 0);
    text += std::to_string(t);
    for (std::uint8_t b : f) {
      char hex[4];
      std::snprintf(hex, sizeof hex, " %02X", b);
      text += hex;
    }
    text += "\n";
  }
  Replayed skipping(text);

  const Capture c = ParseOrDie(text);
  ReplayClock clock(c.Start);
  AppContext app(clock);
  NullCanvas canvas;
  BackedWindow window(800, 560, &canvas);
  SetStartValues(app);
  CreateMainWindow(app, window);
  CaptureFeed feed(LinesOf(c));
  app.Link.ReplayFeed = &feed;
  for (std::int64_t k = 1; k <= ArrivalReplayEndMs(c.LastTimeMs, std::nullopt) / 250; ++k) {
    clock.SetMs(250 * k);
    feed.ArriveUntil(250 * k);
    window.Send(WM_TIMER, 1, 0);
  }
  const DiagnosticsStore& a = skipping.app.Store;
  const DiagnosticsStore& b = app.Store;
  EXPECT_GT(a.HistIndex, 10);
  EXPECT_EQ(a.HistIndex, b.HistIndex);
  EXPECT_EQ(a.HistTime, b.HistTime);
  EXPECT_EQ(a.HistSignal, b.HistSignal);
  EXPECT_EQ(a.HistErrorRate, b.HistErrorRate);
  EXPECT_EQ(a.HistXmit, b.HistXmit);
  EXPECT_EQ(a.FreqGoodScore, b.FreqGoodScore);
  EXPECT_EQ(a.ShownRcvdRate, b.ShownRcvdRate);
  EXPECT_EQ(a.MissRun, b.MissRun);
}

}  // namespace
}  // namespace ptpdiag
