#include "link/link_events.h"

#include <gtest/gtest.h>

#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::Bytes;
using test::MakeFrame;
using test::TestApp;

constexpr Rgb kPollGreen{0, 128, 0};

// Texts drawn on the raw-data row, in order.
std::vector<std::string> RawRow(const RecordingCanvas& canvas) {
  std::vector<std::string> texts;
  for (const DrawOp& op : canvas.OfKind(DrawOp::Kind::Text)) {
    if (op.rect.bottom == 520 && op.rect.left >= 530) texts.push_back(op.text);
  }
  return texts;
}

class PollCycle : public testing::Test {
 protected:
  void SetUp() override {
    t.OpenFakeSerial();
    t.canvas.Clear();
  }
  void PushFrames(int count, int signal = 70) {
    for (int i = 0; i < count; ++i)
      t.source.Push(Bytes(MakeFrame(76 + i % 112, 105, signal, 10, 20, 30, 80)));
  }
  // One timer tick 250 ms after the last.
  void TickLater() {
    t.clock.Monotonic += 250;
    t.Tick();
  }
  TestApp t;
};

TEST(PollCycleIdle, WithNoLinkOnlyTheClockAndTheConnectionLineAreDrawn) {
  TestApp t;
  t.clock.Local = {2026, 3, 1, 9, 5, 7};
  t.canvas.Clear();
  t.Tick();
  const auto texts = t.canvas.OfKind(DrawOp::Kind::Text);
  ASSERT_EQ(texts.size(), 4U);  // the clock; the state, blanks, the recording mark's cells
  EXPECT_EQ(texts[0].text, "09:05:07");
  EXPECT_EQ(texts[0].rect, (Rect{720, 0, 800, 16}));
  EXPECT_EQ(texts[0].colour, kBlack);
  EXPECT_EQ(texts[1].text, "No Connection");
  EXPECT_EQ(texts[1].text.size() + texts[2].text.size() + texts[3].text.size(), 50U);
  EXPECT_EQ(t.app.Link.TimerBusy, 0);
}

TEST_F(PollCycle, IdleCycleOnAnOpenLinkDrawsTheClockAndTheConnectionLine) {
  t.clock.Local = {2026, 3, 1, 9, 5, 7};
  t.Tick();
  const auto texts = t.canvas.OfKind(DrawOp::Kind::Text);
  ASSERT_EQ(texts.size(), 4U);  // the clock, the link, blanks, the recording mark's cells
  EXPECT_EQ(texts[0].text, "09:05:07");
  EXPECT_EQ(texts[1].text, "Com1  Opened");
  EXPECT_EQ(texts[1].rect.bottom, 536);
  EXPECT_EQ(texts[2].text, std::string(34, ' '));
  EXPECT_EQ(texts[3].text, "    ");
  EXPECT_EQ(t.app.Link.TimerBusy, 0);
}

TEST_F(PollCycle, ExactlyEightBytesWaitForTheNextCycle) {
  const auto frame = Bytes(MakeFrame(80, 105, 70, 0, 0, 0, 0));
  t.source.Push({frame.begin(), frame.begin() + 8});
  t.Tick();
  EXPECT_EQ(t.source.Reads, 0);
  EXPECT_EQ(t.source.Queue.size(), 8U);
  t.source.Push({frame.back()});
  t.Tick();
  EXPECT_EQ(t.app.Store.PeriodFrames, 1);
  EXPECT_TRUE(t.source.Queue.empty());
}

TEST_F(PollCycle, ThirtyFramesAreDrainedInOneCycleAndTheLastIsShown) {
  PushFrames(29);
  const DiagFrame last = MakeFrame(100, 0x6A, 0x4B, 0x0C, 0x05, 0x1C, 0xB0);
  t.source.Push(Bytes(last));
  t.Tick();
  EXPECT_EQ(t.app.Store.PeriodFrames, 30);
  const auto raw = RawRow(t.canvas);
  ASSERT_EQ(raw.size(), 8U);  // each cell once, with the last frame's byte
  EXPECT_EQ(raw, (std::vector<std::string>{"64", "6A", "4B", "C ", "5 ", "1C", "B0", raw[7]}));
  // Byte i at column 50 + 4 i, in the poll cycle's green.
  const DrawOp* first = t.canvas.TextAt(520, 530);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->colour, kPollGreen);
  EXPECT_NE(t.canvas.TextAt(520, 810), nullptr);
}

TEST_F(PollCycle, FrameCutShortLeavesTheEarlierFramesBytesInTheLaterCells) {
  t.source.Push(Bytes(MakeFrame(0x50, 0x61, 0x42, 0x13, 0x14, 0x15, 0x16)));
  t.source.Push(Bytes(MakeFrame(0x60, 0x71, 0x52, 0x23, 0x24, 0x25, 0x26)));
  t.source.FailOnRead = 14;  // the second frame's fourth byte
  t.Tick();
  const auto raw = RawRow(t.canvas);
  ASSERT_EQ(raw.size(), 8U);
  EXPECT_EQ(std::vector<std::string>(raw.begin(), raw.begin() + 7),
            (std::vector<std::string>{"60", "71", "52", "13", "14", "15", "16"}));
  EXPECT_EQ(t.app.Store.PeriodFrames, 1);
  EXPECT_EQ(t.app.Store.LinkEventCount, 1);
  // The event line is drawn last, over the raw row it overlaps.
  const auto texts = t.canvas.OfKind(DrawOp::Kind::Text);
  const auto line = std::find_if(texts.rbegin(), texts.rend(),
                                 [](const DrawOp& op) { return op.text.starts_with("Num=1 "); });
  ASSERT_NE(line, texts.rend());
  for (auto op = texts.rbegin(); op != line; ++op)
    EXPECT_NE(op->rect.bottom, 520) << op->text;
}

TEST_F(PollCycle, StreamStartingMidFrameResynchronisesInTheSameCycle) {
  const auto frame = Bytes(MakeFrame(80, 105, 70, 0, 0, 0, 0));
  t.source.Push({frame.begin() + 5, frame.end()});  // four bytes of a frame's tail
  PushFrames(3);
  t.Tick();
  EXPECT_EQ(t.app.Store.PeriodFrames, 3);
  EXPECT_TRUE(t.source.Queue.empty());
}

TEST_F(PollCycle, BadCheckDropsTheFrameButShowsItsBytesAndGoesOn) {
  DiagFrame bad = MakeFrame(80, 105, 70, 0, 0, 0, 0);
  bad[8] ^= 0xFF;
  t.source.Push(Bytes(bad));
  PushFrames(2);
  t.Tick();
  EXPECT_EQ(t.app.Store.PeriodFrames, 2);
  EXPECT_EQ(RawRow(t.canvas).size(), 8U);
  EXPECT_TRUE(t.source.Queue.empty());
}

// Stray bytes and corrupt frames among good ones: every good frame is
// applied in the cycle its bytes arrived, and what cannot start a frame
// (eight bytes or fewer) waits for the next cycle.
struct StrayCase {
  const char* Name;
  std::vector<std::vector<std::uint8_t>> Cycles;  // bytes arriving before each tick
  std::vector<int> FramesAfter;                   // PeriodFrames after each tick
  std::size_t Left;                               // bytes waiting at the end
};

std::vector<std::uint8_t> Good(int channel) {
  return Bytes(MakeFrame(76 + channel, 105, 70, 1, 2, 3, 4));
}

std::vector<std::uint8_t> Corrupt(int channel) {
  std::vector<std::uint8_t> frame = Good(channel);
  frame[4] ^= 0x10;  // the check byte no longer matches
  return frame;
}

// Bytes [from, to) of a frame.
std::vector<std::uint8_t> Part(const std::vector<std::uint8_t>& frame, std::size_t from,
                               std::size_t to) {
  return {frame.begin() + static_cast<std::ptrdiff_t>(from),
          frame.begin() + static_cast<std::ptrdiff_t>(to)};
}

std::vector<std::uint8_t> Join(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> all;
  for (const auto& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

class PollCycleStrays : public testing::TestWithParam<StrayCase> {};

TEST_P(PollCycleStrays, DecodeEveryGoodFrame) {
  TestApp t;
  t.OpenFakeSerial();
  for (std::size_t cycle = 0; cycle < GetParam().Cycles.size(); ++cycle) {
    t.source.Push(GetParam().Cycles[cycle]);
    t.Tick();
    EXPECT_EQ(t.app.Store.PeriodFrames, GetParam().FramesAfter[cycle])
        << GetParam().Name << ", cycle " << cycle + 1;
  }
  EXPECT_EQ(t.source.Queue.size(), GetParam().Left) << GetParam().Name;
}

INSTANTIATE_TEST_SUITE_P(
    Streams, PollCycleStrays,
    testing::Values(
        StrayCase{"garbage before, between and after",
                  {Join({{0x00, 0x13}, Good(1), {0x77}, Good(2), {0xF1, 0x05}, Good(3), {0x42}})},
                  {3},
                  1},
        StrayCase{"a corrupt frame between good ones",
                  {Join({Good(1), Corrupt(2), Good(3), Good(4)})},
                  {3},
                  0},
        StrayCase{"a lead byte inside garbage",
                  {Join({{0xF0, 0x01, 0x02}, Good(5), Good(6)})},
                  // F0 01 02 and six bytes of the next frame fail the check;
                  // the rest of that frame is skipped byte by byte.
                  {1},
                  0},
        StrayCase{"garbage then a frame split over two cycles",
                  {Join({{1, 2, 3, 4, 5}, Good(7), Part(Good(8), 0, 2)}), Part(Good(8), 2, 9)},
                  {1, 2},
                  0},
        StrayCase{"only garbage, eight bytes left waiting",
                  {std::vector<std::uint8_t>(20, 0x55)},
                  {0},
                  8}));

TEST_F(PollCycle, CheckedFrameOnAChannelBelow76IsSkipped) {
  t.source.Push(Bytes(MakeFrame(40, 105, 70, 9, 9, 0, 0)));
  PushFrames(1);
  t.Tick();
  EXPECT_EQ(t.app.Store.PeriodFrames, 1);
  EXPECT_EQ(t.app.Store.PeriodXmitSum, 10);
  EXPECT_TRUE(t.source.Queue.empty());
}

TEST_F(PollCycle, HeaderValuesAreDrawnInGreenAndMaxMissedInBlack) {
  PushFrames(2, /*signal=*/0);
  t.Tick();
  const DrawOp* noise = t.canvas.TextAt(32, 270);
  ASSERT_NE(noise, nullptr);
  EXPECT_EQ(noise->text, "105");
  EXPECT_EQ(noise->colour, kPollGreen);
  const DrawOp* rate = t.canvas.TextAt(32, 720);
  ASSERT_NE(rate, nullptr);
  EXPECT_EQ(rate->text, "  0. ");
  const DrawOp* maxMissed = t.canvas.TextAt(48, 100);
  ASSERT_NE(maxMissed, nullptr);
  EXPECT_EQ(maxMissed->text, "     2");
  EXPECT_EQ(maxMissed->colour, kBlack);
  EXPECT_EQ(t.app.Store.ShownMaxMissed, 2);
}

TEST_F(PollCycle, ACycleAlreadyRunningIsNotEnteredAgain) {
  PushFrames(1);
  t.app.Link.TimerBusy = 1;
  EXPECT_EQ(t.window.Send(WM_TIMER, 1, 0), 0);
  EXPECT_EQ(t.source.Reads, 0);
  EXPECT_TRUE(t.canvas.Ops().empty());
  EXPECT_EQ(t.app.Link.TimerBusy, 1);
}

TEST_F(PollCycle, FailedReadIsALinkEventDrawnInTheCurrentColour) {
  PushFrames(2);
  t.source.FailNextReads = {LinkError{57, 5}};
  t.Tick();
  EXPECT_EQ(t.app.Store.LinkEventCount, 1);
  EXPECT_EQ(t.app.Store.LinkEventType, 57);
  EXPECT_EQ(t.app.Store.LinkEventValue, 5);
  const DrawOp* line = t.canvas.FindText("Num=1 Type=57 Value=5");
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->rect, (Rect{500, 0, 800, 536}));
  EXPECT_EQ(line->colour, kPollGreen);
  EXPECT_EQ(t.app.Store.PeriodFrames, 0);  // the cycle found no lead byte
  t.Tick();
  EXPECT_EQ(t.app.Store.PeriodFrames, 2);
}

TEST_F(PollCycle, NetworkLinksReadTheRing) {
  t.app.Link.CommOpen = 0;
  t.app.Link.NetLinkMode = NetLink::Tcp;
  for (int i = 0; i < 3; ++i)
    AppendToRing(t.app.Store, Bytes(MakeFrame(80, 105, 70, 0, 0, 0, 0)));
  t.Tick();
  EXPECT_EQ(t.app.Store.PeriodFrames, 3);
  EXPECT_EQ(t.app.Store.LinkRingCount.load(), 0);
  EXPECT_EQ(t.source.Reads, 0);
}

TEST_F(PollCycle, UdpShortfallIsLinkEvent30) {
  t.app.Link.CommOpen = 0;
  t.app.Link.NetLinkMode = NetLink::Udp;
  t.app.Store.BytesWanted = 20;
  AppendToRing(t.app.Store, Bytes(MakeFrame(80, 105, 70, 0, 0, 0, 0)));
  t.Tick();
  EXPECT_EQ(t.app.Store.LinkEventCount, 1);
  EXPECT_EQ(t.app.Store.LinkEventType, kLinkEventUdpShortfall);
  EXPECT_EQ(t.app.Store.LinkEventValue, 20);
  EXPECT_EQ(t.app.Store.LinkRingCount.load(), 9);
}

TEST_F(PollCycle, NoLinkReadsNothing) {
  t.app.Link.CommOpen = 0;
  PushFrames(1);
  t.Tick();
  EXPECT_EQ(t.source.Reads, 0);
  EXPECT_EQ(t.app.Store.BytesAvailable, 0);
}

TEST_F(PollCycle, FirstSampleComesTwoSecondsAfterTheReset) {
  for (int tick = 1; tick <= 7; ++tick) {
    PushFrames(1);
    TickLater();
    EXPECT_EQ(t.app.Store.HistIndex, 0) << "tick " << tick;
  }
  PushFrames(1);
  TickLater();  // 2000 ms
  EXPECT_EQ(t.app.Store.HistIndex, 1);
  EXPECT_EQ(t.app.Store.HistTime[1], 2);
  EXPECT_EQ(t.app.Store.PeriodFrames, 0);
  EXPECT_EQ(t.app.Store.HistNoise[1], 23);
  // The next sample needs another two seconds.
  for (int tick = 1; tick <= 7; ++tick) {
    PushFrames(1);
    TickLater();
  }
  EXPECT_EQ(t.app.Store.HistIndex, 1);
  PushFrames(1);
  TickLater();
  EXPECT_EQ(t.app.Store.HistIndex, 2);
  EXPECT_EQ(t.app.Store.HistTime[2], 4);
}

TEST_F(PollCycle, PeriodWithoutFramesTakesNoSample) {
  t.clock.Monotonic += 10'000;
  t.Tick();
  EXPECT_EQ(t.app.Store.HistIndex, 0);
}

struct RepaintCase {
  int screen;
  int repaintsWithoutSample;  // over 7 cycles with frames, before the first sample
  int repaintsAtSample;
};

class RepaintPolicy : public testing::TestWithParam<RepaintCase> {};

TEST_P(RepaintPolicy, FollowsTheScreenShown) {
  TestApp t(800, 560, GetParam().screen);
  t.OpenFakeSerial();
  const int before = t.window.PaintCount();
  for (int tick = 1; tick <= 7; ++tick) {
    t.source.Push(Bytes(MakeFrame(80, 105, 70, 0, 0, 0, 0)));
    t.clock.Monotonic += 250;
    t.Tick();
  }
  EXPECT_EQ(t.window.PaintCount() - before, GetParam().repaintsWithoutSample);
  t.canvas.Clear();
  t.source.Push(Bytes(MakeFrame(80, 105, 70, 0, 0, 0, 0)));
  t.clock.Monotonic += 250;
  t.Tick();
  EXPECT_EQ(t.window.PaintCount() - before,
            GetParam().repaintsWithoutSample + GetParam().repaintsAtSample);
  // The poll cycle's repaints do not erase.
  EXPECT_TRUE(t.canvas.OfKind(DrawOp::Kind::Fill).empty());
  // Cycles without frames repaint nothing.
  const int settled = t.window.PaintCount();
  t.clock.Monotonic += 5000;
  t.Tick();
  EXPECT_EQ(t.window.PaintCount(), settled);
}

INSTANTIATE_TEST_SUITE_P(Screens, RepaintPolicy,
                         testing::Values(RepaintCase{1, 0, 1}, RepaintCase{2, 7, 1},
                                         RepaintCase{3, 0, 1}));

}  // namespace
}  // namespace ptpdiag
