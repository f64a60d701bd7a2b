// The tone played on the sound device while it is switched on (key T,
// Tone in the menu): each tick sets the pitch, and the device pulls the
// samples on its own thread, so a change is heard as soon as the device
// asks for more. Without a device the status bar says so and the session
// goes on; the sound never touches the link or a recording. An alarm
// raised or cleared sounds once, tone or not: two notes up when raised,
// down when cleared (the system's beep without a device).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "alignment/tone_synth.h"
#include "platform/sound_out.h"
#include "state/app_context.h"

namespace ptpdiag {

class TonePlayer final : public AlignmentListener, public SampleSource {
 public:
  // `device` may be null: a backend without sound.
  TonePlayer(AppContext& app, std::unique_ptr<SoundOut> device);
  TonePlayer(const TonePlayer&) = delete;
  TonePlayer& operator=(const TonePlayer&) = delete;
  ~TonePlayer() override;

  void AlignmentTick(const AlignmentFigures& figures, const ToneState& tone) override;
  void FillSamples(std::int16_t* out, std::size_t count) override;
  // Samples of the chime still to sound.
  std::int64_t ChimeLeft();
  bool Playing() const { return playing_; }

 private:
  void QueueChime();
  bool StartDevice();
  void StopDevice();

  AppContext& app_;
  std::unique_ptr<SoundOut> device_;
  bool playing_ = false;
  bool refused_ = false;   // the device failed since the tone was switched on
  bool chimeWanted_ = false;  // a chime is queued or sounding
  int silentTicks_ = 0;    // since the tone was switched off, while still playing
  std::string deviceError_;

  std::mutex mutex_;       // guards tone_ against the device's thread
  ToneState tone_;
  std::int64_t chimeLeft_ = 0;  // samples
  bool chimeRising_ = true;
  // The device's thread only:
  ToneSynth synth_;
  std::int64_t nextSample_ = 0;
  std::vector<std::int16_t> samples_;
};

}  // namespace ptpdiag
