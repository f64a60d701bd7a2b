#include "sim/sim_options.h"

#include <charconv>
#include <cstdint>

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

std::optional<std::string> ApplyValue(std::string_view name, std::string_view value,
                                      SimOptions& o) {
  GeneratorSettings& g = o.Generator;
  if (name == "--out") {
    if (value != "capture") return "--out supports only 'capture' for now, not " + Quoted(value);
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
    if (!x || !(*x > 0.0 && *x <= kMaxSimSeconds)) {
      return "--seconds wants a duration above 0 and at most " +
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
  }
  return std::nullopt;
}

bool TakesValue(std::string_view name) {
  for (std::string_view known :
       {"--out", "--file", "--rate", "--seconds", "--seed", "--start", "--bad-check", "--garbage",
        "--low-channel", "--miss", "--frames-per-line"}) {
    if (name == known) return true;
  }
  return false;
}

}  // namespace

SimOptionsResult ParseSimOptions(std::span<const std::string_view> args) {
  SimOptionsResult result;
  SimOptions& o = result.Parsed;
  result.Error =
      WalkOptions(args, TakesValue,
                  [&o](std::string_view name,
                       std::optional<std::string_view> value) -> std::optional<std::string> {
                    if (TakesValue(name)) return ApplyValue(name, *value, o);
                    if ((name == "--help" || name == "-h") && !value) {
                      o.Help = true;
                      return std::nullopt;
                    }
                    return UnknownOption(value ? std::string(name) + "=" + std::string(*value)
                                               : std::string(name));
                  });
  if (result.Error) return result;
  if (auto error = ValidateSettings(o.Generator)) result.Error = std::move(error);
  return result;
}

std::string SimUsageText() {
  return "Usage: ptpdiag-sim [options]\n"
         "Simulates a frequency-hopping radio's diagnostic stream, one nine-byte frame\n"
         "per hop, and writes it as a capture file for 'ptpdiag --replay'.\n"
         "\n"
         "  --out capture          output mode (only 'capture' so far)\n"
         "  --file PATH            write to PATH instead of standard output\n"
         "  --rate HOPS            hops per second (default 50)\n"
         "  --seconds N            duration in seconds (default 60)\n"
         "  --seed N               seed; the same seed gives the same stream (default 1)\n"
         "  --start \"YYYY-MM-DD HH:MM:SS\"\n"
         "                         local time at t = 0 (default 2026-01-05 09:00:00)\n"
         "  --frames-per-line N    frames per data line, stamped with the time of the\n"
         "                         last one (default 1)\n"
         "  --miss FRACTION        share of hops with no packet received (default 0.03)\n"
         "  --bad-check FRACTION   share of frames sent with a wrong check byte\n"
         "  --low-channel FRACTION share of frames with a channel byte below 76\n"
         "  --garbage FRACTION     share of frames preceded by 1 to 4 garbage bytes\n"
         "  --help                 this text\n"
         "\n"
         "Exit codes: 0 done, 1 the output could not be written, 2 bad options.\n";
}

}  // namespace ptpdiag::sim
