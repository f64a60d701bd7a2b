#include "sim/frame_generator.h"

#include <algorithm>
#include <cmath>

namespace ptpdiag::sim {
namespace {

// Slow processes (link level, fades, traffic) move on this grid of
// simulated time, so their course does not depend on the hop rate.
constexpr double kSlowStepS = 0.5;

constexpr double kMeanLinkLevelDbm = -72.0;
constexpr double kMeanNoiseFloorDbm = -109.0;
constexpr double kNoisyChannelRiseDb = 11.0;

// One step of an Ornstein-Uhlenbeck process: pulled back to `mean` with
// time constant `tauS`, wandering with long-run deviation `deviation`.
double OuStep(double x, double mean, double tauS, double deviation, double stepS, Prng& prng) {
  const double pull = stepS / tauS;
  return x + (mean - x) * pull + deviation * std::sqrt(2.0 * pull) * prng.Gauss();
}

// Moving average over 2 * halfWidth + 1 neighbours, wrapping at the band
// edges: neighbouring channels fade and pick up interference together.
template <std::size_t N>
std::array<double, N> Smooth(const std::array<double, N>& raw, int halfWidth) {
  std::array<double, N> out{};
  const int n = static_cast<int>(N);
  for (int c = 0; c < n; ++c) {
    double sum = 0.0;
    for (int d = -halfWidth; d <= halfWidth; ++d)
      sum += raw[static_cast<std::size_t>((c + d + n) % n)];
    out[static_cast<std::size_t>(c)] = sum / (2 * halfWidth + 1);
  }
  return out;
}

// Clamped before rounding, so no value (a wandering level far off, or
// NaN) can overflow the conversion, whatever the width of long.
std::uint8_t ClampByte(double value, int low, int high) {
  if (std::isnan(value)) return static_cast<std::uint8_t>(low);
  const double clamped = std::clamp(value, static_cast<double>(low), static_cast<double>(high));
  return static_cast<std::uint8_t>(std::lround(clamped));
}

bool IsFraction(double x) {
  return x >= 0.0 && x <= 1.0;  // false for NaN too
}

}  // namespace

std::optional<std::string> ValidateSettings(const GeneratorSettings& s) {
  if (!(s.HopsPerSecond > 0.0 && s.HopsPerSecond <= 10000.0))
    return "hop rate must be above 0 and at most 10000 hops per second";
  if (!(s.MissFraction >= 0.0 && s.MissFraction <= 0.9))
    return "miss fraction must be from 0 to 0.9";
  if (!(s.MeanMissBurst >= 1.0 && s.MeanMissBurst <= 1000.0))
    return "mean miss burst must be from 1 to 1000 hops";
  if (!IsFraction(s.BadCheckFraction) || !IsFraction(s.GarbageFraction) ||
      !IsFraction(s.LowChannelFraction)) {
    return "fault fractions must be from 0 to 1";
  }
  if (s.BadCheckFraction + s.LowChannelFraction > 1.0)
    return "bad-check and low-channel fractions together must not exceed 1";
  if (s.NoiseFloorDbm && !(*s.NoiseFloorDbm >= -127.0 && *s.NoiseFloorDbm <= 0.0))
    return "noise floor must be from -127 to 0 dBm";
  if (!(s.NoiseSpreadDb >= 0.0 && s.NoiseSpreadDb <= 30.0))
    return "noise spread must be from 0 to 30 dB";
  for (const Interferer& i : s.Interferers) {
    if (i.FirstChannel < 1 || i.LastChannel > 111 || i.FirstChannel > i.LastChannel)
      return "interferer channels must be from 1 to 111, the first not above the last";
    if (!(i.Duty > 0.0 && i.Duty <= 1.0)) return "interferer duty must be above 0 and at most 1";
    if (!(i.PeriodS > 0.0 && i.PeriodS <= 86400.0))
      return "interferer period must be above 0 and at most 86400 s";
    if (!(i.LevelDbm >= -127.0 && i.LevelDbm <= 0.0))
      return "interferer level must be from -127 to 0 dBm";
  }
  if (s.ChannelSpreadDb && !(*s.ChannelSpreadDb >= 0.0 && *s.ChannelSpreadDb <= 30.0))
    return "channel spread must be from 0 to 30 dB";
  if (s.SignalSigmaDb && !(*s.SignalSigmaDb >= 0.0 && *s.SignalSigmaDb <= 20.0))
    return "signal scatter must be from 0 to 20 dB";
  for (const SignalStep& step : s.Steps) {
    if (!(step.AtS >= 0.0 && std::isfinite(step.AtS)) || !(step.Db >= -60.0 && step.Db <= 60.0))
      return "a signal step must be at 0 s or later and from -60 to 60 dB";
  }
  for (const VswrFault& f : s.VswrFaults) {
    if (f.FirstChannel < 1 || f.LastChannel > 111 || f.FirstChannel > f.LastChannel)
      return "VSWR fault channels must be from 1 to 111, the first not above the last";
    if (!(f.AtS >= 0.0 && std::isfinite(f.AtS)) || f.Value < 1 || f.Value > 255)
      return "a VSWR fault must start at 0 s or later with a value from 1 to 255";
  }
  if (s.StopAtS && !(*s.StopAtS >= 0.0 && std::isfinite(*s.StopAtS)))
    return "the radio must fall silent at 0 s or later";
  return std::nullopt;
}

bool Interferer::OnAt(double seconds) const {
  return Duty >= 1.0 || std::fmod(seconds, PeriodS) < Duty * PeriodS;
}

std::uint8_t FrameCheck(const DiagFrame& frame) {
  std::uint8_t x = 0;
  for (std::size_t i = 1; i <= 7; ++i)
    x ^= frame[i];
  return x;
}

void AppendHopBytes(const GeneratedHop& hop, std::vector<std::uint8_t>& out) {
  if (hop.Silent) return;
  out.insert(out.end(), hop.Garbage.begin(), hop.Garbage.begin() + hop.GarbageCount);
  out.insert(out.end(), hop.Frame.begin(), hop.Frame.end());
}

FrameGenerator::FrameGenerator(const GeneratorSettings& settings)
    : settings_(settings),
      radio_(DeriveSeed(settings.Seed, 1)),
      faults_(DeriveSeed(settings.Seed, 2)),
      interference_(DeriveSeed(settings.Seed, 3)),
      signal_(DeriveSeed(settings.Seed, 4)) {
  // A fixed pseudo-random hop pattern, repeated, as the radios use.
  for (int c = 0; c < kHopChannels; ++c)
    sequence_[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c);
  for (int i = kHopChannels - 1; i > 0; --i)
    std::swap(sequence_[static_cast<std::size_t>(i)],
              sequence_[static_cast<std::size_t>(radio_.Below(i + 1))]);

  const int noisyCount = 2 + radio_.Below(2);
  while (static_cast<int>(noisyChannels_.size()) < noisyCount) {
    const int c = radio_.Below(kHopChannels);
    if (noisy_[static_cast<std::size_t>(c)]) continue;
    noisy_[static_cast<std::size_t>(c)] = true;
    noisyChannels_.push_back(c);
  }
  std::sort(noisyChannels_.begin(), noisyChannels_.end());
  const double spread = settings_.ChannelSpreadDb.value_or(0.0);
  for (double& offset : signalOffsetDb_)
    offset = spread * (2.0 * signal_.Uniform() - 1.0);

  std::array<double, kHopChannels> raw{};
  for (double& r : raw)
    r = 4.0 * radio_.Gauss();
  noiseOffsetDb_ = Smooth(raw, 2);
  for (double& r : raw)
    r = 9.0 * radio_.Gauss();
  vswrBase_ = Smooth(raw, 3);
  for (int c = 0; c < kHopChannels; ++c)  // the antenna is matched best mid-band
    vswrBase_[static_cast<std::size_t>(c)] += 24.0 + 0.05 * std::abs(c - 56);
  for (double& f : fadeRaw_)
    f = 10.0 * radio_.Gauss();
  SmoothFades();
  linkLevelDbm_ = kMeanLinkLevelDbm + 3.0 * radio_.Gauss();
  noiseFloorDbm_ = kMeanNoiseFloorDbm + radio_.Gauss();
  StepLoad(txLoad_, 0.0);
  StepLoad(rxLoad_, 0.0);
  txLoad_.Level = txLoad_.Target;
  rxLoad_.Level = rxLoad_.Target;

  // Misses: isolated ones on the noisy channels (at most half of all) and
  // bursts for the rest, sized so the total share comes out as asked.
  const double f = settings_.MissFraction;
  const double noisyShare = static_cast<double>(noisyCount) / kHopChannels;
  noisyMissChance_ = f > 0.0 ? std::min(0.25, 0.5 * f / noisyShare) : 0.0;
  const double isolated = noisyShare * noisyMissChance_;
  const double burstShare = std::max(0.0, (f - isolated) / (1.0 - isolated));
  double burstLength = settings_.MeanMissBurst;
  burstStartChance_ = burstShare / (burstLength * (1.0 - burstShare) + burstShare);
  if (burstStartChance_ > 0.5) {
    // Too many bursts to fit between each other: make them longer instead.
    burstStartChance_ = 0.5;
    burstLength = burstShare / (1.0 - burstShare);
  }
  burstGoOnChance_ = 1.0 - 1.0 / std::max(1.0, burstLength);
}

std::int64_t FrameGenerator::HopTimeMs(std::int64_t n) const {
  return static_cast<std::int64_t>(
      std::floor(static_cast<double>(n) * 1000.0 / settings_.HopsPerSecond));
}

void FrameGenerator::SmoothFades() {
  fadeDb_ = Smooth(fadeRaw_, 3);
}

void FrameGenerator::StepLoad(Load& load, double stepS) {
  if (slowTimeS_ >= load.NextChangeS) {
    // Mostly light polling traffic, now and then a transfer.
    load.Target =
        radio_.Chance(0.3) ? 0.5 + 0.45 * radio_.Uniform() : 0.03 + 0.22 * radio_.Uniform();
    load.NextChangeS = slowTimeS_ + 20.0 + 100.0 * radio_.Uniform();
  }
  constexpr double kTauS = 8.0;
  load.Level += (load.Target - load.Level) * stepS / (kTauS + stepS);
}

void FrameGenerator::StepSlowProcesses(double stepS) {
  linkLevelDbm_ = OuStep(linkLevelDbm_, kMeanLinkLevelDbm, 180.0, 4.0, stepS, radio_);
  noiseFloorDbm_ = OuStep(noiseFloorDbm_, kMeanNoiseFloorDbm, 300.0, 1.5, stepS, radio_);
  for (double& f : fadeRaw_)
    f = OuStep(f, 0.0, 90.0, 10.0, stepS, radio_);
  SmoothFades();
  StepLoad(txLoad_, stepS);
  StepLoad(rxLoad_, stepS);
}

void FrameGenerator::AdvanceSlowProcesses(double untilS) {
  while (slowTimeS_ + kSlowStepS <= untilS) {
    slowTimeS_ += kSlowStepS;
    StepSlowProcesses(kSlowStepS);
  }
}

int FrameGenerator::NextChannel() {
  const int c = sequence_[static_cast<std::size_t>(sequencePos_)];
  sequencePos_ = (sequencePos_ + 1) % kHopChannels;
  return c;
}

bool FrameGenerator::NextMiss(int channel) {
  bool miss = inMissBurst_;
  if (!miss && radio_.Chance(burstStartChance_)) miss = true;
  if (miss) {
    inMissBurst_ = radio_.Chance(burstGoOnChance_);
    return true;
  }
  return noisy_[static_cast<std::size_t>(channel)] && radio_.Chance(noisyMissChance_);
}

int FrameGenerator::TrafficBytes(const Load& load) {
  const double bytes = 6.0 + 200.0 * load.Level * (0.8 + 0.4 * radio_.Uniform());
  return ClampByte(bytes, 1, 255);
}

double FrameGenerator::NoiseDbm(int channel) {
  if (settings_.NoiseFloorDbm) {
    const double spread = settings_.NoiseSpreadDb;
    return *settings_.NoiseFloorDbm + spread * (2.0 * radio_.Uniform() - 1.0);
  }
  const auto u = static_cast<std::size_t>(channel);
  double noiseDbm = noiseFloorDbm_ + noiseOffsetDb_[u] + radio_.Between(-2, 2);
  if (noisy_[u]) noiseDbm += kNoisyChannelRiseDb + 3.0 * radio_.Gauss();
  return noiseDbm;
}

bool FrameGenerator::Interfere(int channel, double seconds, double& noiseDbm) {
  bool on = false;
  for (const Interferer& i : settings_.Interferers) {
    if (channel < i.FirstChannel || channel > i.LastChannel || !i.OnAt(seconds)) continue;
    noiseDbm = std::max(noiseDbm, i.LevelDbm + (2.0 * interference_.Uniform() - 1.0));
    on = true;
  }
  return on;
}

const VswrFault* FrameGenerator::FaultOn(int channel, double seconds) const {
  for (const VswrFault& f : settings_.VswrFaults) {
    if (channel >= f.FirstChannel && channel <= f.LastChannel && seconds >= f.AtS) return &f;
  }
  return nullptr;
}

double FrameGenerator::SignalDbm(int channel, double seconds) {
  const auto u = static_cast<std::size_t>(channel);
  double steps = 0.0;
  for (const SignalStep& step : settings_.Steps)
    if (seconds >= step.AtS) steps += step.Db;
  if (!settings_.StaticSignal()) return linkLevelDbm_ + fadeDb_[u] + 1.5 * radio_.Gauss() + steps;
  return kMeanLinkLevelDbm + signalOffsetDb_[u] + settings_.SignalSigmaDb.value_or(0.0) * signal_.Gauss() +
         steps;
}

void FrameGenerator::ApplyFaults(GeneratedHop& hop) {
  if (settings_.GarbageFraction > 0.0 && faults_.Chance(settings_.GarbageFraction)) {
    hop.GarbageCount = faults_.Between(1, kMaxGarbageBytes);
    for (int i = 0; i < hop.GarbageCount; ++i)
      hop.Garbage[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(faults_.Below(256));
  }
  const double badCheck = settings_.BadCheckFraction;
  const double lowChannel = settings_.LowChannelFraction;
  if (badCheck + lowChannel <= 0.0) return;
  const double u = faults_.Uniform();
  if (u < badCheck) {
    hop.Fault = HopFault::BadCheck;
    hop.Frame[8] ^= static_cast<std::uint8_t>(faults_.Between(1, 255));
  } else if (u < badCheck + lowChannel) {
    hop.Fault = HopFault::LowChannel;
    hop.Frame[1] = static_cast<std::uint8_t>(faults_.Below(kChannelByteOffset));
    hop.Frame[8] = FrameCheck(hop.Frame);
  }
}

GeneratedHop FrameGenerator::Next() {
  GeneratedHop hop;
  hop.TimeMs = HopTimeMs(hopIndex_);
  ++hopIndex_;
  AdvanceSlowProcesses(static_cast<double>(hop.TimeMs) / 1000.0);

  const int c = NextChannel();
  const auto u = static_cast<std::size_t>(c);
  hop.Channel = c;

  double noiseDbm = NoiseDbm(c);
  hop.Interfered = Interfere(c, static_cast<double>(hop.TimeMs) / 1000.0, noiseDbm);
  // Levels beyond the usual span come only from the options that ask for them.
  const bool wide = hop.Interfered || settings_.NoiseFloorDbm.has_value();
  const double signalDbm = SignalDbm(c, static_cast<double>(hop.TimeMs) / 1000.0);
  const bool miss = NextMiss(c);
  const double seconds = static_cast<double>(hop.TimeMs) / 1000.0;
  const VswrFault* fault = FaultOn(c, seconds);
  const bool transmit = radio_.Chance(0.3 + 0.45 * txLoad_.Level) || fault != nullptr;
  const bool peerSent = radio_.Chance(0.3 + 0.45 * rxLoad_.Level);

  DiagFrame& f = hop.Frame;
  f[0] = kFrameLead;
  f[1] = static_cast<std::uint8_t>(c + kChannelByteOffset);
  f[2] = wide ? ClampByte(-noiseDbm, 0, 127) : ClampByte(-noiseDbm, 85, 120);
  const bool wideSignal = settings_.StaticSignal() || !settings_.Steps.empty();
  f[3] = miss ? 0 : wideSignal ? ClampByte(-signalDbm, 1, 127) : ClampByte(-signalDbm, 55, 95);
  if (transmit) {
    const std::uint8_t vswr = ClampByte(vswrBase_[u] + 1.5 * radio_.Gauss(), 15, 40);
    f[4] = static_cast<std::uint8_t>(TrafficBytes(txLoad_));
    f[6] = fault != nullptr ? static_cast<std::uint8_t>(fault->Value) : vswr;
    // A poorer match draws a little more current from the power amplifier.
    f[7] = ClampByte(72.0 + 0.8 * (vswr - 25) + 2.0 * radio_.Gauss(), 60, 90);
  }
  if (!miss && peerSent) f[5] = static_cast<std::uint8_t>(TrafficBytes(rxLoad_));
  f[8] = FrameCheck(f);

  ApplyFaults(hop);
  hop.Silent = settings_.StopAtS && seconds >= *settings_.StopAtS;
  return hop;
}

}  // namespace ptpdiag::sim
