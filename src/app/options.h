// Command-line options of ptpdiag. With none the program opens its window
// and behaves as it always has; the options add headless runs, replays and
// outputs for tests and field work.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ptpdiag {

struct Options {
  bool Help = false;
  bool Headless = false;
  std::optional<std::string> ReplayFile;
  int Screen = 3;
  std::optional<std::string> ReportFile;
  std::optional<std::string> SnapshotFile;
  int Width = 800;
  int Height = 560;
  std::optional<std::int64_t> UntilMs;
};

struct OptionsResult {
  Options Parsed;
  std::optional<std::string> Error;  // one line saying what is wrong
};

inline constexpr int kMaxClientSide = 4096;

// `args` excludes the program name.
OptionsResult ParseOptions(std::span<const std::string_view> args);

std::string UsageText();

// True when `path` ends in ".png" (any case); otherwise it is an SVG.
bool IsPngPath(std::string_view path);

}  // namespace ptpdiag
