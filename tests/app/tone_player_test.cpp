#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/tone_player.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

// A device that plays when the test lets it, and is pulled by the test.
class FakeSound final : public SoundOut {
 public:
  bool Works = true;
  SampleSource* Source = nullptr;
  bool Start(SampleSource& source, std::string& error) override {
    if (!Works) {
      error = "no device here";
      return false;
    }
    Source = &source;
    return true;
  }
  void Stop() override { Source = nullptr; }
  void Beep() override { ++Beeps; }
  int Beeps = 0;
};

// The pitch of 0.2 s pulled from the device, from its rising zero
// crossings; 0 for silence once the first ramp has passed.
double HeardHz(SampleSource& source, std::size_t samples = 8820) {
  std::vector<std::int16_t> s(samples);
  source.FillSamples(s.data(), s.size());
  int rises = 0, loudest = 0;
  for (std::size_t i = 200; i < s.size(); ++i) {
    loudest = std::max(loudest, std::abs(int{s[i]}));
    if (s[i - 1] < 0 && s[i] >= 0) ++rises;
  }
  return loudest == 0 ? 0.0 : rises / ((s.size() - 200) / 44100.0);
}

TEST(TonePlayer, PlaysEachTicksPitchOnlyWhileSwitchedOn) {
  struct Step {
    bool on;
    double hz;
    bool works;
    bool playing;
    double heardHz;  // ignored when not playing
    const char* status;
  };
  const Step steps[] = {
      {false, 800, true, false, 0, ""},   // off: the device is never opened
      {true, 800, true, true, 800, ""},
      {true, 1200, true, true, 1200, ""},  // the next samples have the new pitch
      {true, 0, true, true, 0, ""},       // squelched
      {false, 900, true, true, 0, ""},    // switched off: fades out for a tick
      {false, 900, true, false, 0, ""},   // then the device stops
      {true, 600, false, false, 0, "The tone cannot be heard: no device here."},
      {true, 600, true, false, 0, ""},    // not tried again every tick
      {false, 600, true, false, 0, ""},
      {true, 600, true, true, 600, ""},   // switched on again: tried again
  };
  test::TestApp t;
  auto device = std::make_unique<FakeSound>();
  FakeSound& sound = *device;
  TonePlayer player(t.app, std::move(device));
  int row = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(row++);
    t.app.Window.StatusText.clear();
    t.app.ToneOn = s.on;
    sound.Works = s.works;
    for (AlignmentListener* l : t.app.AlignmentListeners) l->AlignmentTick({}, ToneState{s.hz});
    EXPECT_EQ(player.Playing(), s.playing);
    EXPECT_EQ(sound.Source != nullptr, s.playing);
    EXPECT_EQ(t.app.Window.StatusText, s.status);
    if (s.playing) {
      EXPECT_NEAR(HeardHz(*sound.Source), s.heardHz, s.heardHz * 0.02);
    }
  }
}

// An alarm raised or cleared sounds two notes, up or down, with the tone
// off; without a device, the system's beep.
TEST(TonePlayer, ChimesOnceForEachAlarmTransition) {
  test::TestApp t;
  t.app.Alarms = AlarmEngine({{"Low", AlarmFigure::Level, AlarmDirection::Below, -90, -88, 0}});
  auto device = std::make_unique<FakeSound>();
  FakeSound& sound = *device;
  TonePlayer player(t.app, std::move(device));
  std::int64_t ms = 0;
  const auto tick = [&](double level) {
    AlarmInputs in;
    in[AlarmFigure::Level] = level;
    t.app.Alarms.Check(in, ms += 250);
    for (AlignmentListener* l : t.app.AlignmentListeners) l->AlignmentTick({}, ToneState{700});
  };
  struct Case {
    double level;
    bool works;
    double firstHz, secondHz;  // 0: no chime
  };
  const Case cases[] = {
      {-95, true, 880, 1320},  // raised: up
      {-80, true, 1320, 880},  // cleared: down
      {-95, false, 0, 0},      // no device: a beep
  };
  for (const Case& c : cases) {
    sound.Works = c.works;
    const int beeps = sound.Beeps;
    tick(c.level);
    if (c.firstHz == 0) {
      EXPECT_EQ(sound.Source, nullptr);
      EXPECT_EQ(sound.Beeps, beeps + 1);
      continue;
    }
    ASSERT_NE(sound.Source, nullptr) << c.level;
    EXPECT_NEAR(HeardHz(*sound.Source, 6615), c.firstHz, c.firstHz * 0.02);
    EXPECT_NEAR(HeardHz(*sound.Source, 6615), c.secondHz, c.secondHz * 0.02);
    EXPECT_EQ(HeardHz(*sound.Source), 0.0);  // then the tone, switched off
    tick(c.level);
    tick(c.level);  // the silent tick, then the device stops
    EXPECT_EQ(sound.Source, nullptr);
  }
}

}  // namespace
}  // namespace ptpdiag
