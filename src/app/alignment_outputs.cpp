#include "app/alignment_outputs.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "files/align_log.h"
#include "state/time_base.h"

namespace ptpdiag {
namespace {

// The last tick's tone sounds until the next would have come.
constexpr std::int64_t kLastToneMs = 250;

}  // namespace

AlignmentOutputs::~AlignmentOutputs() {
  if (listening_) (void)Finish();
}

bool AlignmentOutputs::Open(const Options& options) {
  if (options.AlignLogFile) {
    logPath_ = *options.AlignLogFile;
    log_.emplace(logPath_, std::ios::binary | std::ios::trunc);
    if (!*log_) {
      std::cerr << "ptpdiag: cannot write " << logPath_ << ": " << std::strerror(errno) << "\n";
      return false;
    }
    *log_ << AlignLogHeader();
  }
  if (options.ToneWavFile) {
    wav_.emplace();
    if (const auto failure = wav_->Open(*options.ToneWavFile, kToneSampleRate)) {
      std::cerr << "ptpdiag: " << *failure << "\n";
      return false;
    }
  }
  if (log_ || wav_) {
    app_.AlignmentListeners.push_back(this);
    listening_ = true;
  }
  return true;
}

void AlignmentOutputs::WriteTone(std::int64_t untilMs) {
  if (!wav_ || !toneFromMs_) return;
  samples_.clear();
  synth_.Render(tone_, *toneFromMs_, untilMs, samples_);
  wav_->Append(samples_);
}

void AlignmentOutputs::AlignmentTick(const AlignmentFigures& figures, const ToneState& tone) {
  if (log_) *log_ << AlignLogRow(figures, tone, app_.SystemClock, app_.Elapsed.OriginLocal());
  // A new session (statistics reset) starts its time again: the sound goes on.
  if (toneFromMs_ && figures.Ms < *toneFromMs_) toneFromMs_.reset();
  WriteTone(figures.Ms);
  toneFromMs_ = figures.Ms;
  tone_ = tone;
}

int AlignmentOutputs::Finish() {
  if (!listening_) return 0;
  auto& listeners = app_.AlignmentListeners;
  listeners.erase(std::remove(listeners.begin(), listeners.end(), this), listeners.end());
  listening_ = false;
  int status = 0;
  if (log_) {
    log_->close();
    if (!*log_) {
      std::cerr << "ptpdiag: cannot write " << logPath_ << "\n";
      status = 1;
    }
  }
  if (wav_) {
    if (toneFromMs_) WriteTone(*toneFromMs_ + kLastToneMs);
    if (const auto failure = wav_->Close()) {
      std::cerr << "ptpdiag: " << *failure << "\n";
      status = 1;
    }
  }
  return status;
}

}  // namespace ptpdiag
