#include "sim_options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <vector>

#include "app/command_line.h"
#include "link/capture_file.h"

namespace ptpdiag::sim {
namespace {

std::optional<double> Number(std::string_view text) {
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

template <typename T>
std::optional<T> WholeNumber(std::string_view text) {
  T value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) about
// "literal" + std::string.
std::string Quoted(std::string_view value) {
  std::string text = "'";
  text += value;
  text += '\'';
  return text;
}

std::optional<std::string> Fraction(std::string_view name, std::string_view value, double& out) {
  const auto x = Number(value);
  if (!x || !(*x >= 0.0 && *x <= 1.0))
    return std::string(name) + " wants a fraction from 0 to 1, not " + Quoted(value);
  out = *x;
  return std::nullopt;
}

using Entry = OptionEntry<SimOptions>;

std::optional<std::string> SetFlag(bool& flag) {
  flag = true;
  return std::nullopt;
}

std::optional<std::string> Out(std::string_view value, SimOptions& o) {
  if (value != "capture" && value != "pty" && value != "tcp" && value != "udp")
    return "--out wants capture, pty, tcp or udp, not " + Quoted(value);
  o.Out = std::string(value);
  return std::nullopt;
}

std::optional<std::string> File(std::string_view value, SimOptions& o) {
  if (value.empty()) return "--file wants a path";
  o.File = std::string(value);
  return std::nullopt;
}

std::optional<std::string> Listen(std::string_view value, SimOptions& o) {
  o.Listen = ParseListenAddress(value);
  if (!o.Listen)
    return "--listen wants [HOST:]PORT (HOST an IPv4 address or localhost), not " + Quoted(value);
  return std::nullopt;
}

std::optional<std::string> To(std::string_view value, SimOptions& o) {
  o.To = ParseHostPort(value);
  if (!o.To)
    return "--to wants HOST:PORT (HOST an IPv4 address or localhost), not " + Quoted(value);
  return std::nullopt;
}

std::optional<std::string> WholeCount(std::string_view name, std::string_view value, int most,
                                      int& out) {
  const auto n = WholeNumber<int>(value);
  if (!n || *n < 1 || *n > most) {
    return std::string(name) + " wants a whole number from 1 to " + std::to_string(most) +
           ", not " + Quoted(value);
  }
  out = *n;
  return std::nullopt;
}

std::optional<std::string> Rate(std::string_view value, SimOptions& o) {
  const auto x = Number(value);
  if (!x || !(*x > 0.0 && *x <= 10000.0))
    return "--rate wants hops per second above 0 and at most 10000, not " + Quoted(value);
  o.Generator.HopsPerSecond = *x;
  return std::nullopt;
}

std::optional<std::string> Seconds(std::string_view value, SimOptions& o) {
  const auto x = Number(value);
  if (!x || !(*x >= 0.0 && *x <= kMaxSimSeconds)) {
    return "--seconds wants a duration from 0 (live outputs: until stopped) to " +
           std::to_string(static_cast<long>(kMaxSimSeconds)) + ", not " + Quoted(value);
  }
  o.Seconds = *x;
  return std::nullopt;
}

std::optional<std::string> Seed(std::string_view value, SimOptions& o) {
  const auto seed = WholeNumber<std::uint64_t>(value);
  if (!seed)
    return "--seed wants a whole number from 0 to 18446744073709551615, not " + Quoted(value);
  o.Generator.Seed = *seed;
  return std::nullopt;
}

std::optional<std::string> Start(std::string_view value, SimOptions& o) {
  const auto when = ParseDateTime(std::string(value));
  if (!when) return "--start wants a valid \"YYYY-MM-DD HH:MM:SS\", not " + Quoted(value);
  o.Start = *when;
  return std::nullopt;
}

std::optional<std::string> Miss(std::string_view value, SimOptions& o) {
  const auto x = Number(value);
  if (!x || !(*x >= 0.0 && *x <= 0.9))
    return "--miss wants a fraction from 0 to 0.9, not " + Quoted(value);
  o.Generator.MissFraction = *x;
  return std::nullopt;
}

std::optional<std::string> NoiseFloor(std::string_view value, SimOptions& o) {
  const auto x = Number(value);
  if (!x || !(*x >= -127.0 && *x <= 0.0))
    return "--noise-floor wants dBm from -127 to 0, not " + Quoted(value);
  o.Generator.NoiseFloorDbm = *x;
  return std::nullopt;
}

std::optional<std::string> NoiseSpread(std::string_view value, SimOptions& o) {
  const auto x = Number(value);
  if (!x || !(*x >= 0.0 && *x <= 30.0))
    return "--noise-spread wants dB from 0 to 30, not " + Quoted(value);
  o.Generator.NoiseSpreadDb = *x;
  return std::nullopt;
}

std::optional<std::string> DecibelsUpTo(std::string_view option, std::string_view value,
                                        double most, std::optional<double>& out) {
  const auto x = Number(value);
  if (!x || !(*x >= 0.0 && *x <= most)) {
    return std::string(option) + " wants dB from 0 to " + std::to_string(static_cast<int>(most)) +
           ", not " + Quoted(value);
  }
  out = *x;
  return std::nullopt;
}

// --step-at starts a step; the --step-db after it gives its size.
std::optional<std::string> StepAt(std::string_view value, SimOptions& o) {
  const auto x = Number(value);
  if (!x || !(*x >= 0.0 && *x <= kMaxSimSeconds))
    return "--step-at wants seconds from 0, not " + Quoted(value);
  if (!o.Generator.Steps.empty() && std::isnan(o.Generator.Steps.back().Db))
    return "--step-at " + Quoted(value) + " comes before the --step-db of the step before it";
  o.Generator.Steps.push_back(SignalStep{*x, std::nan("")});
  return std::nullopt;
}

std::optional<std::string> StepDb(std::string_view value, SimOptions& o) {
  const auto x = Number(value);
  if (!x || !(*x >= -60.0 && *x <= 60.0))
    return "--step-db wants dB from -60 to 60, not " + Quoted(value);
  if (o.Generator.Steps.empty() || !std::isnan(o.Generator.Steps.back().Db))
    return "--step-db " + Quoted(value) + " wants a --step-at before it";
  o.Generator.Steps.back().Db = *x;
  return std::nullopt;
}

// "N" or "N-M", channels 1 to 111.
bool ReadChannels(std::string_view text, Interferer& i) {
  const std::size_t dash = text.find('-');
  const auto first = WholeNumber<int>(text.substr(0, dash));
  const auto last = dash == std::string_view::npos ? first : WholeNumber<int>(text.substr(dash + 1));
  if (!first || !last || *first < 1 || *last > 111 || *first > *last) return false;
  i.FirstChannel = *first;
  i.LastChannel = *last;
  return true;
}

// One "key=value" of an interferer; false when it is not one.
bool ReadInterfererField(std::string_view field, Interferer& i, bool& levelGiven) {
  const std::size_t equals = field.find('=');
  if (equals == std::string_view::npos) return false;
  const std::string_view key = field.substr(0, equals);
  const auto x = Number(field.substr(equals + 1));
  if (!x) return false;
  if (key == "duty" && *x > 0.0 && *x <= 1.0) {
    i.Duty = *x;
  } else if (key == "period" && *x > 0.0 && *x <= 86400.0) {
    i.PeriodS = *x;
  } else if (key == "level" && *x >= -127.0 && *x <= 0.0) {
    i.LevelDbm = *x;
    levelGiven = true;
  } else {
    return false;
  }
  return true;
}

std::optional<std::string> AddInterferer(std::string_view value, SimOptions& o) {
  const std::string error = "--interferer wants CHANNELS,duty=D,period=S,level=DBM (channels 1 to "
                            "111 as N or N-M; duty above 0 up to 1; period up to 86400 s; level "
                            "-127 to 0 dBm), not " + Quoted(value);
  Interferer i;
  const std::size_t comma = value.find(',');
  if (!ReadChannels(value.substr(0, comma), i)) return error;
  bool levelGiven = false;
  if (comma == std::string_view::npos) return error;  // the level is wanted
  std::string_view rest = value.substr(comma + 1);
  for (;;) {
    const std::size_t next = rest.find(',');
    if (!ReadInterfererField(rest.substr(0, next), i, levelGiven)) return error;
    if (next == std::string_view::npos) break;
    rest = rest.substr(next + 1);
  }
  if (!levelGiven) return error;
  o.Generator.Interferers.push_back(i);
  return std::nullopt;
}

std::optional<std::string> AddVswrFault(std::string_view value, SimOptions& o) {
  const std::string error = "--vswr-fault wants CHANNELS,at=S,value=V (channels 1 to 111 as N or "
                            "N-M; at 0 s or later; value 1 to 255), not " + Quoted(value);
  Interferer channels;
  const std::size_t comma = value.find(',');
  if (comma == std::string_view::npos || !ReadChannels(value.substr(0, comma), channels)) return error;
  VswrFault f{channels.FirstChannel, channels.LastChannel, 0.0, 0};
  std::string_view rest = value.substr(comma + 1);
  for (;;) {
    const std::size_t next = rest.find(',');
    const std::string_view field = rest.substr(0, next);
    const std::size_t equals = field.find('=');
    const auto x = equals == std::string_view::npos ? std::nullopt : Number(field.substr(equals + 1));
    if (!x) return error;
    const std::string_view key = field.substr(0, equals);
    if (key == "at" && *x >= 0.0) {
      f.AtS = *x;
    } else if (key == "value" && *x >= 1.0 && *x <= 255.0 && *x == std::floor(*x)) {
      f.Value = static_cast<int>(*x);
    } else {
      return error;
    }
    if (next == std::string_view::npos) break;
    rest = rest.substr(next + 1);
  }
  if (f.Value == 0) return error;
  o.Generator.VswrFaults.push_back(f);
  return std::nullopt;
}

std::optional<std::string> StopAt(std::string_view value, SimOptions& o) {
  const auto x = Number(value);
  if (!x || !(*x >= 0.0)) return "--stop-at wants seconds from 0, not " + Quoted(value);
  o.Generator.StopAtS = *x;
  return std::nullopt;
}

// Every option: parsing and --help both come from here.
constexpr Entry kSimOptionTable[] = {
    {"--out", "MODE",
     "capture (default): a capture file\n"
     "pty: a pseudo-terminal, its slave named on stdout\n"
     "(Linux only)\n"
     "tcp: one TCP client at a time (needs --listen)\n"
     "udp: datagrams (needs --to)",
     Out},
    {"--file", "PATH", "capture: write to PATH instead of standard output", File},
    {"--listen", "[HOST:]PORT",
     "tcp: address to listen on (HOST default 127.0.0.1,\n"
     "PORT 0 picks a free port)",
     Listen},
    {"--to", "HOST:PORT", "udp: where to send, e.g. 127.0.0.1:4131", To},
    {"--frames-per-datagram", "N", "udp: hops per datagram (default 1)",
     [](std::string_view v, SimOptions& o) {
       return WholeCount("--frames-per-datagram", v, kMaxFramesPerDatagram, o.FramesPerDatagram);
     }},
    {"--split", "", "udp: cut every datagram in two at a random point",
     [](std::string_view, SimOptions& o) { return SetFlag(o.Split); }},
    {"--rate", "HOPS", "hops per second (default 50)", Rate},
    {"--seconds", "N",
     "duration in seconds (default 60); live outputs:\n"
     "0 runs until SIGINT or SIGTERM",
     Seconds},
    {"--seed", "N", "seed; the same seed gives the same stream (default 1)", Seed},
    {"--start", "\"YYYY-MM-DD HH:MM:SS\"",
     "capture: local time at t = 0 (default 2026-01-05 09:00:00)", Start},
    {"--frames-per-line", "N",
     "capture: frames per data line, stamped with the time\n"
     "of the last one (default 1)",
     [](std::string_view v, SimOptions& o) {
       return WholeCount("--frames-per-line", v, kMaxFramesPerLine, o.FramesPerLine);
     }},
    {"--miss", "FRACTION", "share of hops with no packet received (default 0.03)", Miss},
    {"--bad-check", "FRACTION", "share of frames sent with a wrong check byte",
     [](std::string_view v, SimOptions& o) {
       return Fraction("--bad-check", v, o.Generator.BadCheckFraction);
     }},
    {"--low-channel", "FRACTION", "share of frames with a channel byte below 76",
     [](std::string_view v, SimOptions& o) {
       return Fraction("--low-channel", v, o.Generator.LowChannelFraction);
     }},
    {"--garbage", "FRACTION", "share of frames preceded by 1 to 4 garbage bytes",
     [](std::string_view v, SimOptions& o) {
       return Fraction("--garbage", v, o.Generator.GarbageFraction);
     }},
    {"--noise-floor", "DBM",
     "a flat noise floor, each hop within --noise-spread of\n"
     "it, instead of the drifting floor with its noisy channels",
     NoiseFloor},
    {"--noise-spread", "DB", "with --noise-floor: the spread each way (default 2)", NoiseSpread},
    {"--interferer", "CHANNELS,duty=D,period=S,level=DBM",
     "raise the noise on CHANNELS (N or N-M) to DBM for the\n"
     "first D x S seconds of every S seconds (repeatable)",
     AddInterferer},
    {"--channel-spread", "DB",
     "a static link (no drift, no fades): each channel's signal\n"
     "a fixed offset, uniform within DB each way (0 to 30)",
     [](std::string_view v, SimOptions& o) {
       return DecibelsUpTo("--channel-spread", v, 30.0, o.Generator.ChannelSpreadDb);
     }},
    {"--signal-sigma", "DB",
     "a static link: the signal's scatter from hop to hop,\n"
     "a standard deviation (0 to 20)",
     [](std::string_view v, SimOptions& o) {
       return DecibelsUpTo("--signal-sigma", v, 20.0, o.Generator.SignalSigmaDb);
     }},
    {"--step-at", "S", "the whole link's signal changes at S seconds by the\n--step-db after it (repeatable)",
     StepAt},
    {"--step-db", "X", "the size of that change in dB (-60 to 60)", StepDb},
    {"--vswr-fault", "CHANNELS,at=S,value=V",
     "a transmitter fault: from S seconds on, every hop on\nCHANNELS transmits with VSWR reading V (repeatable)",
     AddVswrFault},
    {"--stop-at", "S", "the radio falls silent at S seconds (a capture still\nlasts --seconds)", StopAt},
    {"--help", "", "this text", [](std::string_view, SimOptions& o) { return SetFlag(o.Help); }},
    {"--version", "", "print the version and exit",
     [](std::string_view, SimOptions& o) { return SetFlag(o.Version); }},
};

constexpr std::size_t kHelpColumn = 25;

// Options that only make sense with one output.
std::optional<std::string> CheckOutputOptions(const SimOptions& o,
                                              const std::vector<std::string_view>& given) {
  struct Owner {
    std::string_view Option;
    std::string_view Out;
  };
  static constexpr Owner kOwners[] = {{"--file", "capture"},  {"--frames-per-line", "capture"},
                                      {"--start", "capture"}, {"--listen", "tcp"},
                                      {"--to", "udp"},        {"--frames-per-datagram", "udp"},
                                      {"--split", "udp"}};
  for (const Owner& owner : kOwners) {
    if (o.Out != owner.Out && std::find(given.begin(), given.end(), owner.Option) != given.end())
      return std::string(owner.Option) + " goes with --out " + std::string(owner.Out) + " only";
  }
#ifdef _WIN32
  if (o.Out == "pty") return "--out pty needs a pseudo-terminal, which only Linux has";
#endif
  if (o.Out == "tcp" && !o.Listen) return "--out tcp needs --listen [HOST:]PORT";
  if (o.Out == "udp" && !o.To) return "--out udp needs --to HOST:PORT";
  if (o.Out == "capture" && o.Seconds == 0.0)
    return "--seconds 0 (until stopped) goes with a live output only";
  if (!o.Generator.Steps.empty() && std::isnan(o.Generator.Steps.back().Db))
    return "--step-at wants a --step-db after it";
  return std::nullopt;
}

}  // namespace

SimOptionsResult ParseSimOptions(std::span<const std::string_view> args) {
  SimOptionsResult result;
  SimOptions& o = result.Parsed;
  std::vector<std::string_view> given;
  result.Error = ParseByTable<SimOptions>(kSimOptionTable, args, o, &given);
  if (result.Error) return result;
  if (auto error = CheckOutputOptions(o, given)) {
    result.Error = std::move(error);
  } else if (auto invalid = ValidateSettings(o.Generator)) {
    result.Error = std::move(invalid);
  }
  return result;
}

std::string SimUsageText() {
  return "Usage: ptpdiag-sim [options]\n"
         "Simulates a frequency-hopping radio's diagnostic stream, one nine-byte frame\n"
         "per hop, and writes it as a capture file for 'ptpdiag --replay' or sends it\n"
         "live, in real time, the way a radio would.\n"
         "\n" +
         OptionsHelp<SimOptions>(kSimOptionTable, kHelpColumn) +
         "\n"
         "Live outputs print where to connect on standard output, never wait for a\n"
         "reader (what cannot be sent is dropped) and end with a summary on standard\n"
         "error.\n"
         "Exit codes: 0 done, 1 the output could not be written or opened, 2 bad options.\n";
}

}  // namespace ptpdiag::sim
