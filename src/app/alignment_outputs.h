// The alignment outputs a run was asked for: the per-tick log
// (--align-log) and the tone rendered into a WAV (--tone-wav). They hear
// every tick while the run lasts and are completed at its end.
#pragma once

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "alignment/tone_synth.h"
#include "app/options.h"
#include "files/wav_file.h"
#include "state/app_context.h"

namespace ptpdiag {

class AlignmentOutputs final : public AlignmentListener {
 public:
  explicit AlignmentOutputs(AppContext& app) : app_(app) {}
  AlignmentOutputs(const AlignmentOutputs&) = delete;
  AlignmentOutputs& operator=(const AlignmentOutputs&) = delete;
  ~AlignmentOutputs() override;

  // Creates the files the options name and starts listening; false, said
  // on standard error, when one cannot be created.
  bool Open(const Options& options);
  void AlignmentTick(const AlignmentFigures& figures, const ToneState& tone) override;
  // Stops listening and completes the files: 0, or 1 when one could not be
  // written whole (said on standard error).
  int Finish();

 private:
  void WriteTone(std::int64_t untilMs);

  AppContext& app_;
  bool listening_ = false;
  std::optional<std::ofstream> log_;
  std::string logPath_;
  std::optional<WavFile> wav_;
  ToneSynth synth_;
  std::vector<std::int16_t> samples_;
  std::optional<std::int64_t> toneFromMs_;  // the last tick's time, its tone sounding since
  ToneState tone_;
};

}  // namespace ptpdiag
