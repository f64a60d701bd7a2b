#include "sim_run.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>

#include "link/capture_lines.h"
#include "live_run.h"
#include "sim/capture_writer.h"
#include "sim/frame_generator.h"
#include "version.h"

namespace ptpdiag::sim {
namespace {

bool NeedsQuotes(std::string_view arg) {
  if (arg.empty()) return true;
  for (char c : arg) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.' || c == '/' || c == '=' || c == ':' ||
                       c == ',' || c == '+';
    if (!plain) return true;
  }
  return false;
}

}  // namespace

std::int64_t DurationMs(const SimOptions& options) {
  return std::llround(options.Seconds * 1000.0);
}

void WriteCapture(const SimOptions& options, const std::vector<std::string>& comments,
                  std::ostream& out) {
  FrameGenerator generator(options.Generator);
  CaptureWriter writer(out, options.FramesPerLine);
  writer.WriteHeader(comments, options.Start);
  const std::int64_t endMs = DurationMs(options);
  while (generator.HopTimeMs(generator.HopsGenerated()) < endMs)
    writer.Add(generator.Next());
  writer.Finish();
  // A radio that fell silent: the recording still lasts the whole time.
  if (options.Generator.StopAtS) out << CaptureEndLine(endMs);
}

std::string CommandLineText(std::span<const std::string_view> args) {
  std::string text = "ptpdiag-sim";
  for (std::string_view arg : args) {
    text += ' ';
    if (!NeedsQuotes(arg)) {
      text += arg;
      continue;
    }
    text += '\'';
    for (char c : arg) {
      if (c == '\'')
        text += "'\\''";
      else
        text += c;
    }
    text += '\'';
  }
  return text;
}

int RunSim(std::span<const std::string_view> args, Network& network, std::ostream& out,
           std::ostream& err) {
  const SimOptionsResult parsed = ParseSimOptions(args);
  if (parsed.Error) {
    err << "ptpdiag-sim: error: " << *parsed.Error << "\n";
    return 2;
  }
  const SimOptions& options = parsed.Parsed;
  if (options.Help) {
    out << SimUsageText();
    return 0;
  }
  if (options.Version) {
    out << "ptpdiag " PTPDIAG_VERSION "\n";  // the package's version
    return 0;
  }
  if (options.Out != "capture") return RunLive(options, network, out, err);
  const std::vector<std::string> comments = {"Simulated radio diagnostic stream, made with:",
                                             "  " + CommandLineText(args)};

  if (!options.File) {
    WriteCapture(options, comments, out);
    out.flush();
    if (!out) {
      err << "ptpdiag-sim: cannot write to standard output\n";
      return 1;
    }
    return 0;
  }
  std::ofstream file(*options.File, std::ios::binary | std::ios::trunc);
  if (!file) {
    err << "ptpdiag-sim: cannot write " << *options.File << ": " << std::strerror(errno) << "\n";
    return 1;
  }
  WriteCapture(options, comments, file);
  file.close();
  if (!file) {
    err << "ptpdiag-sim: cannot write " << *options.File << ": " << std::strerror(errno) << "\n";
    return 1;
  }
  return 0;
}

}  // namespace ptpdiag::sim
