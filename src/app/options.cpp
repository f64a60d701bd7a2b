#include "app/options.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "app/command_line.h"
#include "link/capture_file.h"

namespace ptpdiag {
namespace {

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  return std::equal(suffix.begin(), suffix.end(),
                    text.end() - static_cast<std::ptrdiff_t>(suffix.size()), [](char a, char b) {
                      return std::tolower(static_cast<unsigned char>(a)) ==
                             std::tolower(static_cast<unsigned char>(b));
                    });
}

std::optional<std::int64_t> WholeNumber(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

std::optional<std::string> ParseSize(std::string_view text, Options& o) {
  const std::size_t x = text.find_first_of("xX");
  const auto w = x == std::string_view::npos ? std::nullopt : WholeNumber(text.substr(0, x));
  const auto h = x == std::string_view::npos ? std::nullopt : WholeNumber(text.substr(x + 1));
  if (!w || !h || *w < 1 || *h < 1 || *w > kMaxClientSide || *h > kMaxClientSide) {
    return "--size wants WIDTHxHEIGHT, each 1 to " + std::to_string(kMaxClientSide) +
           " pixels, not '" + std::string(text) + "'";
  }
  o.Width = static_cast<int>(*w);
  o.Height = static_cast<int>(*h);
  return std::nullopt;
}

std::optional<std::string> ApplyValueOption(std::string_view name, std::string_view value,
                                            Options& o) {
  if (name == "--replay") {
    o.ReplayFile = std::string(value);
  } else if (name == "--report") {
    o.ReportFile = std::string(value);
  } else if (name == "--snapshot") {
    if (!IsPngPath(value) && !EndsWithNoCase(value, ".svg")) {
      return "--snapshot wants a file name ending in .svg or .png, not '" + std::string(value) +
             "'";
    }
    o.SnapshotFile = std::string(value);
  } else if (name == "--screen") {
    if (value != "1" && value != "2" && value != "3") {
      return "--screen wants 1, 2 or 3, not '" + std::string(value) + "'";
    }
    o.Screen = value[0] - '0';
  } else if (name == "--size") {
    return ParseSize(value, o);
  } else if (name == "--until") {
    const auto ms = WholeNumber(value);
    if (!ms || *ms > kMaxCaptureMs) {
      return "--until wants milliseconds from 0 to " + std::to_string(kMaxCaptureMs) + ", not '" +
             std::string(value) + "'";
    }
    o.UntilMs = *ms;
  }
  return std::nullopt;
}

bool TakesValue(std::string_view name) {
  return name == "--replay" || name == "--report" || name == "--snapshot" || name == "--screen" ||
         name == "--size" || name == "--until";
}

}  // namespace

bool IsPngPath(std::string_view path) {
  return EndsWithNoCase(path, ".png");
}

OptionsResult ParseOptions(std::span<const std::string_view> args) {
  OptionsResult result;
  Options& o = result.Parsed;
  result.Error =
      WalkOptions(args, TakesValue,
                  [&o](std::string_view name,
                       std::optional<std::string_view> value) -> std::optional<std::string> {
                    if (TakesValue(name)) return ApplyValueOption(name, *value, o);
                    if (value) return UnknownOption(std::string(name) + "=" + std::string(*value));
                    if (name == "--help" || name == "-h") {
                      o.Help = true;
                    } else if (name == "--headless") {
                      o.Headless = true;
                    } else {
                      return UnknownOption(name);
                    }
                    return std::nullopt;
                  });
  if (!result.Error && o.UntilMs && !o.ReplayFile) {
    result.Error = "--until only applies to --replay";
  }
  return result;
}

std::string UsageText() {
  return "Usage: ptpdiag [options]\n"
         "Norvalen PTP Diagnostics: shows the diagnostic frames of a radio link.\n"
         "With no option the window opens with no link.\n"
         "\n"
         "  --headless          no window; the program exits by itself when done\n"
         "  --replay FILE       feed the poll cycle from a capture file (text lines\n"
         "                      '<ms> <hex bytes>', optional 'start YYYY-MM-DD HH:MM:SS');\n"
         "                      headless it runs as fast as it can, else in real time\n"
         "  --until MS          replay: time of the last timer tick\n"
         "  --screen N          screen at start: 1 transmitter, 2 signal vs frequency,\n"
         "                      3 signal vs time (default)\n"
         "  --report FILE.json  at exit, write the diagnostics store as JSON\n"
         "  --snapshot FILE     at exit, repaint the screen into FILE.svg or FILE.png\n"
         "  --size WxH          client area size when headless (default 800x560)\n"
         "  --help              this text\n"
         "\n"
         "Exit codes: 0 done, 1 an output file could not be written, 2 bad options or\n"
         "an unreadable or malformed capture file.\n";
}

}  // namespace ptpdiag
