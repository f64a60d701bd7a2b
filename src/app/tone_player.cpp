#include "app/tone_player.h"

#include <algorithm>

#include "state/window_state.h"

namespace ptpdiag {

static_assert(kSoundSampleRate == kToneSampleRate);

TonePlayer::TonePlayer(AppContext& app, std::unique_ptr<SoundOut> device)
    : app_(app), device_(std::move(device)) {
  app_.AlignmentListeners.push_back(this);
}

TonePlayer::~TonePlayer() {
  auto& listeners = app_.AlignmentListeners;
  listeners.erase(std::remove(listeners.begin(), listeners.end(), this), listeners.end());
  StopDevice();
}

void TonePlayer::AlignmentTick(const AlignmentFigures& /*figures*/, const ToneState& tone) {
  {
    const std::lock_guard lock(mutex_);
    tone_ = app_.ToneOn ? tone : ToneState{};
  }
  if (app_.ToneOn) {
    silentTicks_ = 0;
    if (!playing_ && !refused_) StartDevice();
    return;
  }
  refused_ = false;  // switched on again, the device is tried again
  // One silent tick first, so the sound fades out instead of clicking.
  if (playing_ && ++silentTicks_ > 1) StopDevice();
}

void TonePlayer::StartDevice() {
  std::string error = "this build has no sound";
  if (device_ && device_->Start(*this, error)) {
    playing_ = true;
    return;
  }
  refused_ = true;
  ShowStatusText(app_.Window, "The tone cannot be heard: " + error + ".");
}

void TonePlayer::StopDevice() {
  if (!playing_) return;
  device_->Stop();
  playing_ = false;
}

void TonePlayer::FillSamples(std::int16_t* out, std::size_t count) {
  ToneState tone;
  {
    const std::lock_guard lock(mutex_);
    tone = tone_;
  }
  samples_.clear();
  const auto end = nextSample_ + static_cast<std::int64_t>(count);
  synth_.RenderSamples(tone, nextSample_, end, samples_);
  nextSample_ = end;
  std::copy(samples_.begin(), samples_.end(), out);
}

}  // namespace ptpdiag
