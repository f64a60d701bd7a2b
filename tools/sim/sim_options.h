// Command-line options of ptpdiag-sim.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "sim/frame_generator.h"
#include "platform/host_port.h"

namespace ptpdiag::sim {

inline constexpr double kMaxSimSeconds = 30.0 * 24 * 3600;
inline constexpr int kMaxFramesPerLine = 1000;
inline constexpr int kMaxFramesPerDatagram = 1000;

struct SimOptions {
  bool Help = false;
  bool Version = false;
  std::string Out = "capture";      // or the live outputs "pty", "tcp", "udp"
  std::optional<std::string> File;  // stdout when not given
  double Seconds = 60.0;            // 0: until stopped (live outputs only)
  LocalDateTime Start{2026, 1, 5, 9, 0, 0, 0};
  int FramesPerLine = 1;
  std::optional<HostPort> Listen;  // given with tcp
  std::optional<HostPort> To;      // given with udp
  int FramesPerDatagram = 1;
  bool Split = false;
  GeneratorSettings Generator;
};

struct SimOptionsResult {
  SimOptions Parsed;
  std::optional<std::string> Error;  // one line saying what is wrong
};

// `args` excludes the program name.
SimOptionsResult ParseSimOptions(std::span<const std::string_view> args);

std::string SimUsageText();

}  // namespace ptpdiag::sim
