#include "app/tone_player.h"

#include <algorithm>

#include "state/window_state.h"

namespace ptpdiag {

static_assert(kSoundSampleRate == kToneSampleRate);

namespace {

// An alarm's chime: two notes of 150 ms a fifth apart.
constexpr std::int64_t kChimeNoteSamples = kToneSampleRate * 150 / 1000;
constexpr double kChimeLowHz = 880.0;
constexpr double kChimeHighHz = 1320.0;

}  // namespace

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
  if (!app_.Alarms.LastTick().empty()) QueueChime();
  if (chimeWanted_ && ChimeLeft() == 0) chimeWanted_ = false;
  if (app_.ToneOn) {
    silentTicks_ = 0;
    if (!playing_ && !refused_ && !StartDevice()) {
      ShowStatusText(app_.Window, "The tone cannot be heard: " + deviceError_ + ".");
    }
    return;
  }
  refused_ = false;  // switched on again, the device is tried again
  if (chimeWanted_) {
    silentTicks_ = 0;
    return;
  }
  // One silent tick first, so the sound fades out instead of clicking.
  if (playing_ && ++silentTicks_ > 1) StopDevice();
}

// The last transition of the tick decides the chime's direction.
void TonePlayer::QueueChime() {
  const bool rising = app_.Alarms.LastTick().back().Raised;
  {
    const std::lock_guard lock(mutex_);
    chimeLeft_ = 2 * kChimeNoteSamples;
    chimeRising_ = rising;
  }
  chimeWanted_ = true;
  if (playing_ || StartDevice()) return;
  chimeWanted_ = false;
  if (device_) device_->Beep();
}

std::int64_t TonePlayer::ChimeLeft() {
  const std::lock_guard lock(mutex_);
  return chimeLeft_;
}

bool TonePlayer::StartDevice() {
  deviceError_ = "this build has no sound";
  if (device_ && device_->Start(*this, deviceError_)) {
    playing_ = true;
    return true;
  }
  refused_ = true;
  return false;
}

void TonePlayer::StopDevice() {
  if (!playing_) return;
  device_->Stop();
  playing_ = false;
}

void TonePlayer::FillSamples(std::int16_t* out, std::size_t count) {
  ToneState tone;
  std::int64_t chimeLeft = 0;
  bool rising = true;
  {
    const std::lock_guard lock(mutex_);
    tone = tone_;
    chimeLeft = chimeLeft_;
    rising = chimeRising_;
  }
  samples_.clear();
  const auto end = nextSample_ + static_cast<std::int64_t>(count);
  // The chime's notes first, then the tone.
  const std::int64_t chimed = std::min<std::int64_t>(chimeLeft, static_cast<std::int64_t>(count));
  for (std::int64_t done = 0; done < chimed;) {
    const bool firstNote = chimeLeft - done > kChimeNoteSamples;
    const std::int64_t noteLeft = firstNote ? chimeLeft - done - kChimeNoteSamples : chimeLeft - done;
    const std::int64_t n = std::min(noteLeft, chimed - done);
    const double hz = firstNote == rising ? kChimeLowHz : kChimeHighHz;
    synth_.RenderSamples(ToneState{hz}, nextSample_ + done, nextSample_ + done + n, samples_);
    done += n;
  }
  synth_.RenderSamples(tone, nextSample_ + chimed, end, samples_);
  nextSample_ = end;
  std::copy(samples_.begin(), samples_.end(), out);
  const std::lock_guard lock(mutex_);
  // A chime queued meanwhile starts afresh.
  if (chimeLeft_ == chimeLeft) chimeLeft_ -= chimed;
}

}  // namespace ptpdiag
