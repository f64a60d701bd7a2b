// A deterministic model of a frequency-hopping radio's diagnostic stream:
// one frame per hop with drifting signal and noise, bursts of missed hops,
// transmit current and VSWR on about half the hops, and traffic counts that
// follow slowly changing loads. Optional faults exercise the decoder's
// resynchronisation. The generator knows nothing about where the bytes go.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/diag_frame.h"
#include "sim/prng.h"

namespace ptpdiag::sim {

inline constexpr int kHopChannels = 112;
inline constexpr int kMaxGarbageBytes = 4;

// Something near the link that raises the noise on a run of channels: on
// for the first Duty x PeriodS seconds of every PeriodS seconds.
struct Interferer {
  int FirstChannel = 1;  // as the frames name them, 1 to 111
  int LastChannel = 1;
  double Duty = 1.0;
  double PeriodS = 10.0;
  double LevelDbm = -80.0;
  bool OnAt(double seconds) const;
};

// The whole link's signal changes by Db at AtS seconds (an antenna turned),
// and stays changed.
struct SignalStep {
  double AtS = 0.0;
  double Db = 0.0;
};

// A transmitter fault: from AtS seconds on, every hop on the channels
// transmits and reads Value as its VSWR.
struct VswrFault {
  int FirstChannel = 1;  // as the frames name them, 1 to 111
  int LastChannel = 1;
  double AtS = 0.0;
  int Value = 0;  // the VSWR byte, 1 to 255
};

struct GeneratorSettings {
  std::uint64_t Seed = 1;
  double HopsPerSecond = 50.0;
  // Share of hops with no packet received (signal 0), and the mean length
  // of the bursts they come in.
  double MissFraction = 0.03;
  double MeanMissBurst = 4.0;
  // Faults, each a share of all hops. A hop gets at most one of bad check
  // and low channel; garbage comes on top of either.
  double BadCheckFraction = 0.0;
  double GarbageFraction = 0.0;
  double LowChannelFraction = 0.0;
  // A flat noise floor (each hop within NoiseSpreadDb of it) instead of
  // the drifting floor with its per-channel offsets and noisy channels.
  std::optional<double> NoiseFloorDbm;
  double NoiseSpreadDb = 2.0;
  std::vector<Interferer> Interferers;
  // A static link (no drift, no fades): each channel's signal a fixed
  // offset, uniform within ChannelSpreadDb each way, from the link's level,
  // with SignalSigmaDb of scatter from hop to hop. Either one asks for it;
  // the other is then 0.
  std::optional<double> ChannelSpreadDb;
  std::optional<double> SignalSigmaDb;
  std::vector<SignalStep> Steps;  // on either kind of link
  std::vector<VswrFault> VswrFaults;
  // The radio falls silent at this time: its hops send nothing.
  std::optional<double> StopAtS;

  bool StaticSignal() const { return ChannelSpreadDb || SignalSigmaDb; }
};

// Why the settings cannot be used, or nothing when they can.
std::optional<std::string> ValidateSettings(const GeneratorSettings& settings);

enum class HopFault : std::uint8_t { None, BadCheck, LowChannel };

struct GeneratedHop {
  std::int64_t TimeMs = 0;
  int Channel = 0;  // the hop channel, even when the frame names another
  DiagFrame Frame{};
  HopFault Fault = HopFault::None;
  bool Interfered = false;  // an interferer was on over this hop's channel
  bool Silent = false;  // the radio had fallen silent: nothing is sent
  // Line noise sent just before the frame.
  int GarbageCount = 0;
  std::array<std::uint8_t, kMaxGarbageBytes> Garbage{};
};

// The bytes the hop puts on the wire: its garbage, then its frame (none
// for a silent hop).
void AppendHopBytes(const GeneratedHop& hop, std::vector<std::uint8_t>& out);

// XOR of bytes 1..7, the check the decoder expects in byte 8.
std::uint8_t FrameCheck(const DiagFrame& frame);

class FrameGenerator {
 public:
  // `settings` must pass ValidateSettings.
  explicit FrameGenerator(const GeneratorSettings& settings);

  // The next hop, times non-decreasing from 0.
  GeneratedHop Next();

  // Time of hop n: n hop intervals, rounded down to whole milliseconds.
  std::int64_t HopTimeMs(std::int64_t n) const;
  std::int64_t HopsGenerated() const { return hopIndex_; }

  // Channels whose noise floor is raised by local interference.
  const std::vector<int>& NoisyChannels() const { return noisyChannels_; }

 private:
  struct Load {
    double Level = 0.1;
    double Target = 0.1;
    double NextChangeS = 0.0;
  };

  void AdvanceSlowProcesses(double untilS);
  void StepSlowProcesses(double stepS);
  void StepLoad(Load& load, double stepS);
  void SmoothFades();
  int NextChannel();
  bool NextMiss(int channel);
  int TrafficBytes(const Load& load);
  void ApplyFaults(GeneratedHop& hop);
  double NoiseDbm(int channel);
  // Raises `noiseDbm` to the level of an interferer that is on.
  bool Interfere(int channel, double seconds, double& noiseDbm);
  const VswrFault* FaultOn(int channel, double seconds) const;
  double SignalDbm(int channel, double seconds);

  GeneratorSettings settings_;
  Prng radio_;   // the link itself
  Prng faults_;  // corruption only, so faults never change the clean stream
  Prng interference_;  // likewise for interferers
  Prng signal_;        // and for the static link's signal
  std::int64_t hopIndex_ = 0;

  std::array<std::uint8_t, kHopChannels> sequence_{};
  int sequencePos_ = 0;

  double slowTimeS_ = 0.0;
  double linkLevelDbm_ = -72.0;
  double noiseFloorDbm_ = -109.0;
  std::array<double, kHopChannels> fadeRaw_{};
  std::array<double, kHopChannels> fadeDb_{};
  std::array<double, kHopChannels> noiseOffsetDb_{};
  std::array<double, kHopChannels> signalOffsetDb_{};  // the static link's
  std::array<double, kHopChannels> vswrBase_{};
  std::vector<int> noisyChannels_;
  std::array<bool, kHopChannels> noisy_{};
  Load txLoad_;
  Load rxLoad_;

  bool inMissBurst_ = false;
  double burstStartChance_ = 0.0;
  double burstGoOnChance_ = 0.0;
  double noisyMissChance_ = 0.0;
};

}  // namespace ptpdiag::sim
