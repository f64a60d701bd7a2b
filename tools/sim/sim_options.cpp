#include "sim_options.h"

#include <algorithm>
#include <charconv>
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

std::optional<std::string> ApplyLiveValue(std::string_view name, std::string_view value,
                                          SimOptions& o) {
  if (name == "--listen") {
    o.Listen = ParseListenAddress(value);
    if (!o.Listen)
      return "--listen wants [HOST:]PORT (HOST an IPv4 address or localhost), not " + Quoted(value);
  } else if (name == "--to") {
    o.To = ParseHostPort(value);
    if (!o.To)
      return "--to wants HOST:PORT (HOST an IPv4 address or localhost), not " + Quoted(value);
  } else if (name == "--frames-per-datagram") {
    const auto n = WholeNumber<int>(value);
    if (!n || *n < 1 || *n > kMaxFramesPerDatagram) {
      return "--frames-per-datagram wants a whole number from 1 to " +
             std::to_string(kMaxFramesPerDatagram) + ", not " + Quoted(value);
    }
    o.FramesPerDatagram = *n;
  }
  return std::nullopt;
}

std::optional<std::string> ApplyValue(std::string_view name, std::string_view value,
                                      SimOptions& o) {
  GeneratorSettings& g = o.Generator;
  if (name == "--out") {
    if (value != "capture" && value != "pty" && value != "tcp" && value != "udp")
      return "--out wants capture, pty, tcp or udp, not " + Quoted(value);
    o.Out = std::string(value);
  } else if (name == "--file") {
    if (value.empty()) return "--file wants a path";
    o.File = std::string(value);
  } else if (name == "--rate") {
    const auto x = Number(value);
    if (!x || !(*x > 0.0 && *x <= 10000.0))
      return "--rate wants hops per second above 0 and at most 10000, not " + Quoted(value);
    g.HopsPerSecond = *x;
  } else if (name == "--seconds") {
    const auto x = Number(value);
    if (!x || !(*x >= 0.0 && *x <= kMaxSimSeconds)) {
      return "--seconds wants a duration from 0 (live outputs: until stopped) to " +
             std::to_string(static_cast<long>(kMaxSimSeconds)) + ", not " + Quoted(value);
    }
    o.Seconds = *x;
  } else if (name == "--seed") {
    const auto seed = WholeNumber<std::uint64_t>(value);
    if (!seed)
      return "--seed wants a whole number from 0 to 18446744073709551615, not " + Quoted(value);
    g.Seed = *seed;
  } else if (name == "--start") {
    const auto when = ParseDateTime(std::string(value));
    if (!when) return "--start wants a valid \"YYYY-MM-DD HH:MM:SS\", not " + Quoted(value);
    o.Start = *when;
  } else if (name == "--bad-check") {
    return Fraction(name, value, g.BadCheckFraction);
  } else if (name == "--garbage") {
    return Fraction(name, value, g.GarbageFraction);
  } else if (name == "--low-channel") {
    return Fraction(name, value, g.LowChannelFraction);
  } else if (name == "--miss") {
    const auto x = Number(value);
    if (!x || !(*x >= 0.0 && *x <= 0.9))
      return "--miss wants a fraction from 0 to 0.9, not " + Quoted(value);
    g.MissFraction = *x;
  } else if (name == "--frames-per-line") {
    const auto n = WholeNumber<int>(value);
    if (!n || *n < 1 || *n > kMaxFramesPerLine) {
      return "--frames-per-line wants a whole number from 1 to " +
             std::to_string(kMaxFramesPerLine) + ", not " + Quoted(value);
    }
    o.FramesPerLine = *n;
  } else {
    return ApplyLiveValue(name, value, o);
  }
  return std::nullopt;
}

bool TakesValue(std::string_view name) {
  for (std::string_view known :
       {"--out", "--file", "--rate", "--seconds", "--seed", "--start", "--bad-check", "--garbage",
        "--low-channel", "--miss", "--frames-per-line", "--listen", "--to",
        "--frames-per-datagram"}) {
    if (name == known) return true;
  }
  return false;
}

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
  return std::nullopt;
}

}  // namespace

SimOptionsResult ParseSimOptions(std::span<const std::string_view> args) {
  SimOptionsResult result;
  SimOptions& o = result.Parsed;
  std::vector<std::string_view> given;
  result.Error = WalkOptions(
      args, TakesValue,
      [&o, &given](std::string_view name,
                   std::optional<std::string_view> value) -> std::optional<std::string> {
        given.push_back(name);
        if (TakesValue(name)) return ApplyValue(name, *value, o);
        if ((name == "--help" || name == "-h") && !value) {
          o.Help = true;
          return std::nullopt;
        }
        if (name == "--version" && !value) {
          o.Version = true;
          return std::nullopt;
        }
        if (name == "--split" && !value) {
          o.Split = true;
          return std::nullopt;
        }
        return UnknownOption(value ? std::string(name) + "=" + std::string(*value)
                                   : std::string(name));
      });
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
         "\n"
         "  --out MODE             capture (default): a capture file\n"
         "                         pty: a pseudo-terminal, its slave named on stdout\n"
         "                         (Linux only)\n"
         "                         tcp: one TCP client at a time (needs --listen)\n"
         "                         udp: datagrams (needs --to)\n"
         "  --file PATH            capture: write to PATH instead of standard output\n"
         "  --listen [HOST:]PORT   tcp: address to listen on (HOST default 127.0.0.1,\n"
         "                         PORT 0 picks a free port)\n"
         "  --to HOST:PORT         udp: where to send, e.g. 127.0.0.1:4131\n"
         "  --frames-per-datagram N\n"
         "                         udp: hops per datagram (default 1)\n"
         "  --split                udp: cut every datagram in two at a random point\n"
         "  --rate HOPS            hops per second (default 50)\n"
         "  --seconds N            duration in seconds (default 60); live outputs:\n"
         "                         0 runs until SIGINT or SIGTERM\n"
         "  --seed N               seed; the same seed gives the same stream (default 1)\n"
         "  --start \"YYYY-MM-DD HH:MM:SS\"\n"
         "                         capture: local time at t = 0 (default 2026-01-05 09:00:00)\n"
         "  --frames-per-line N    capture: frames per data line, stamped with the time\n"
         "                         of the last one (default 1)\n"
         "  --miss FRACTION        share of hops with no packet received (default 0.03)\n"
         "  --bad-check FRACTION   share of frames sent with a wrong check byte\n"
         "  --low-channel FRACTION share of frames with a channel byte below 76\n"
         "  --garbage FRACTION     share of frames preceded by 1 to 4 garbage bytes\n"
         "  --help                 this text\n"
         "  --version              print the version and exit\n"
         "\n"
         "Live outputs print where to connect on standard output, never wait for a\n"
         "reader (what cannot be sent is dropped) and end with a summary on standard\n"
         "error.\n"
         "Exit codes: 0 done, 1 the output could not be written or opened, 2 bad options.\n";
}

}  // namespace ptpdiag::sim
