// A sound device playing 16-bit mono samples at 44.1 kHz, pulled from a
// source as it plays, so that what is heard changes as soon as the
// source's next samples do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ptpdiag {

inline constexpr int kSoundSampleRate = 44100;

class SampleSource {
 public:
  virtual ~SampleSource() = default;
  // Fills `count` samples; may be called on the device's own thread.
  virtual void FillSamples(std::int16_t* out, std::size_t count) = 0;
};

class SoundOut {
 public:
  virtual ~SoundOut() = default;
  // Starts pulling from `source`; false with the reason in words when no
  // device can play.
  virtual bool Start(SampleSource& source, std::string& error) = 0;
  // Stops; the source is no longer called when this returns.
  virtual void Stop() = 0;
  // The system's own beep, for a signal that must be heard when no device
  // can play.
  virtual void Beep() = 0;
};

}  // namespace ptpdiag
