// Command-line options of ptpdiag. With none the program opens its window
// and behaves as it always has; the options add headless runs, replays and
// outputs for tests and field work.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "alarms/alarm_rules.h"
#include "alignment/tone.h"
#include "quality/channel_quality.h"
#include "report/report_profile.h"
#include "state/site_details.h"

namespace ptpdiag {

struct Options {
  bool Help = false;
  bool Version = false;  // --version: print "ptpdiag X.Y.Z" and exit
  bool Headless = false;
  bool ListPorts = false;  // --list-ports: list the serial ports and exit
  std::optional<std::string> ReplayFile;
  int Screen = 3;
  std::optional<std::string> ReportFile;
  std::optional<std::string> SnapshotFile;
  std::optional<std::string> ExportCsvName;  // NAME-channels.csv, NAME-history.csv
  int Scale = 1;  // --scale: device pixels per pixel of a PNG snapshot
  int Width = 800;
  int Height = 560;
  bool SizeGiven = false;  // --size; else the window's outer size is 808 x 600
  std::optional<std::int64_t> UntilMs;

  // Live links: at most one of these.
  std::optional<std::string> SerialPort;  // "ComN" or a device path
  std::optional<std::string> TcpTarget;   // "HOST:PORT"
  bool Udp = false;
  bool Demo = false;  // the simulated radio over UDP on loopback
  // "ComN" -> device path, from --port.
  std::vector<std::pair<std::string, std::string>> PortMap;
  std::optional<std::uint16_t> UdpListenPort;  // --udp-port: listen here instead of 4131
  std::optional<std::int64_t> RunMs;     // --seconds
  std::optional<std::string> RecordFile;
  bool TickStats = false;
  // A dropped TCP link or a serial port whose device went away stays down
  // until opened again, as the program always did.
  bool NoReconnect = false;
  // An interfered visit: noise this many dB over the link's floor.
  double InterferenceDb = kDefaultInterferenceDb;
  // Alignment: the per-tick log, the tone as a WAV, and the tone's mode and
  // range (also for the window's tone).
  std::optional<std::string> AlignLogFile;
  std::optional<std::string> ToneWavFile;
  ToneSettings Tone;
  // Alarm rules: the file they come from (--alarms), else the defaults.
  std::optional<std::string> AlarmsFile;
  std::vector<AlarmRule> AlarmRules = DefaultAlarmRules();
  bool PrintPrometheusRules = false;
  // The commissioning report, its limits (--profile, else the defaults)
  // and the site details it lists.
  std::optional<std::string> LinkReportFile;
  std::optional<std::string> ProfileFile;
  ReportProfile Profile;
  bool PrintProfile = false;
  std::vector<std::pair<std::string, std::string>> ReportFields;
  std::vector<std::string> Photos;  // --photo, in order
  // --compare BEFORE AFTER: two recordings.
  std::vector<std::string> CompareFiles;
  bool PrintAlarms = false;
  // --metrics [HOST:]PORT: the Prometheus endpoint, 127.0.0.1 unless a host is named.
  std::optional<std::string> MetricsHost;
  std::uint16_t MetricsPort = 0;
  bool Serve = false;                // the server was asked for by --serve
  std::optional<std::string> Token;  // a token, or "auto"

  // Run after start-up, in order: loading a radio file, commands, saving
  // the radio list.
  std::optional<std::string> OpenFile;  // --open FILE.RAD
  std::vector<std::uint16_t> Commands;  // --command ID
  std::optional<std::string> SaveFile;  // --save FILE.RAD

  bool LiveLink() const { return SerialPort || TcpTarget || Udp || Demo; }
};

// Hop rate of the demo radio.
inline constexpr double kDemoHopsPerSecond = 50.0;
inline constexpr std::int64_t kMaxRunSeconds = 366LL * 24 * 3600;

struct [[nodiscard]] OptionsResult {
  Options Parsed;
  std::optional<std::string> Error;  // one line saying what is wrong
};

inline constexpr int kMaxClientSide = 4096;
inline constexpr int kMaxScale = 4;

// `args` excludes the program name.
OptionsResult ParseOptions(std::span<const std::string_view> args);

std::string UsageText();

// "Com1" .. "Com8" (any case) as the program names them, or nothing.
std::optional<std::string> CommPortName(std::string_view text);

// True when `path` ends in ".png" (any case); otherwise it is an SVG.
bool IsPngPath(std::string_view path);

}  // namespace ptpdiag
