#include "app/options.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "app/command_line.h"
#include "files/csv_export.h"
#include "link/capture_file.h"
#include "metrics/access_token.h"
#include "platform/host_port.h"

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

// The whole text as a decimal number; nothing for anything else (NaN too).
std::optional<double> DecimalNumber(std::string_view text) {
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value != value) {
    return std::nullopt;
  }
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
  o.SizeGiven = true;
  return std::nullopt;
}

std::optional<std::string> ParsePortMap(std::string_view text, Options& o) {
  const std::size_t eq = text.find('=');
  const auto name = eq == std::string_view::npos ? std::nullopt : CommPortName(text.substr(0, eq));
  if (!name || eq + 1 >= text.size()) {
    return "--port wants ComN=DEVICE with N from 1 to 8, not '" + std::string(text) + "'";
  }
  o.PortMap.emplace_back(*name, std::string(text.substr(eq + 1)));
  return std::nullopt;
}

using Apply = std::optional<std::string> (*)(std::string_view, Options&);
using Entry = OptionEntry<Options>;

std::string Quoted(std::string_view value) {
  std::string text = "'";
  text += value;
  text += '\'';
  return text;
}

std::optional<std::string> SetFlag(bool& flag) {
  flag = true;
  return std::nullopt;
}

constexpr const char* kOneServer = "--serve and --metrics name the one server; give one of them";

// --metrics and --serve name the one server; --serve also means the web view.
std::optional<std::string> ServerAddress(const char* option, std::string_view value, Options& o) {
  if (o.MetricsHost) return kOneServer;
  const auto address = ParseListenAddress(value);
  if (!address) {
    return std::string(option) + " wants [HOST:]PORT with HOST a dotted IPv4 address, not " +
           Quoted(value);
  }
  o.MetricsHost = NumericHost(*address);
  o.MetricsPort = address->Port;
  return std::nullopt;
}

std::optional<std::string> Metrics(std::string_view value, Options& o) {
  return ServerAddress("--metrics", value, o);
}

std::optional<std::string> Serve(std::string_view value, Options& o) {
  auto problem = ServerAddress("--serve", value, o);
  if (!problem) o.Serve = true;
  return problem;
}

std::optional<std::string> Token(std::string_view value, Options& o) {
  if (value != "auto") {
    if (const auto problem = TokenProblem(value)) return "--token wants auto or a token: " + *problem;
  }
  o.Token = std::string(value);
  return std::nullopt;
}

std::optional<std::string> Snapshot(std::string_view value, Options& o) {
  if (!IsPngPath(value) && !EndsWithNoCase(value, ".svg")) {
    return "--snapshot wants a file name ending in .svg or .png, not " + Quoted(value);
  }
  o.SnapshotFile = std::string(value);
  return std::nullopt;
}

std::optional<std::string> Screen(std::string_view value, Options& o) {
  if (value.size() != 1 || value[0] < '1' || value[0] > '5') {
    return "--screen wants 1 to 5, not " + Quoted(value);
  }
  o.Screen = value[0] - '0';
  return std::nullopt;
}

std::optional<std::string> Scale(std::string_view value, Options& o) {
  const auto scale = WholeNumber(value);
  if (!scale || *scale < 1 || *scale > kMaxScale) {
    return "--scale wants a whole number from 1 to " + std::to_string(kMaxScale) + ", not " +
           Quoted(value);
  }
  o.Scale = static_cast<int>(*scale);
  return std::nullopt;
}

std::optional<std::string> Until(std::string_view value, Options& o) {
  const auto ms = WholeNumber(value);
  if (!ms || *ms > kMaxCaptureMs) {
    return "--until wants milliseconds from 0 to " + std::to_string(kMaxCaptureMs) + ", not " +
           Quoted(value);
  }
  o.UntilMs = *ms;
  return std::nullopt;
}

std::optional<std::string> Serial(std::string_view value, Options& o) {
  if (value.empty()) return "--serial wants a port name (Com1 .. Com8) or a device path";
  o.SerialPort = std::string(value);
  return std::nullopt;
}

std::optional<std::string> Tcp(std::string_view value, Options& o) {
  if (!SplitHostPort(value)) return "--tcp wants HOST:PORT, not " + Quoted(value);
  o.TcpTarget = std::string(value);
  return std::nullopt;
}

std::optional<std::string> UdpPort(std::string_view value, Options& o) {
  const auto port = WholeNumber(value);
  if (!port || *port < 1 || *port > 65535) {
    return "--udp-port wants a port number from 1 to 65535, not " + Quoted(value);
  }
  o.UdpListenPort = static_cast<std::uint16_t>(*port);
  return std::nullopt;
}

std::optional<std::string> Seconds(std::string_view value, Options& o) {
  const auto seconds = WholeNumber(value);
  if (!seconds || *seconds < 1 || *seconds > kMaxRunSeconds) {
    return "--seconds wants whole seconds from 1 to " + std::to_string(kMaxRunSeconds) + ", not " +
           Quoted(value);
  }
  o.RunMs = *seconds * 1000;
  return std::nullopt;
}

std::optional<std::string> OpenFile(std::string_view value, Options& o) {
  if (value.empty()) return "--open wants a radio file";
  o.OpenFile = std::string(value);
  return std::nullopt;
}

std::optional<std::string> SaveFile(std::string_view value, Options& o) {
  if (value.empty()) return "--save wants a radio file";
  o.SaveFile = std::string(value);
  return std::nullopt;
}

std::optional<std::string> LinkReport(std::string_view value, Options& o) {
  if (value.empty()) return "--link-report wants a file name";
  o.LinkReportFile = std::string(value);
  return std::nullopt;
}

std::optional<std::string> ReportField(std::string_view value, Options& o) {
  const std::size_t eq = value.find('=');
  if (eq == std::string_view::npos || eq == 0 || value.size() > 4096) {
    return "--report-field wants KEY=VALUE (at most 4096 characters), not " + Quoted(value.substr(0, 60));
  }
  if (o.ReportFields.size() >= kMaxReportFields) return "more than 100 --report-field options";
  o.ReportFields.emplace_back(std::string(value.substr(0, eq)), std::string(value.substr(eq + 1)));
  return std::nullopt;
}

std::optional<std::string> InterferenceDb(std::string_view value, Options& o) {
  const auto db = DecimalNumber(value);
  if (!db || *db < 1 || *db > 60) {
    return "--interference-db wants decibels from 1 to 60, not " + Quoted(value);
  }
  o.InterferenceDb = *db;
  return std::nullopt;
}

std::optional<std::string> Dbm(std::string_view option, std::string_view value, double& out) {
  const auto dbm = DecimalNumber(value);
  if (!dbm || *dbm < -127 || *dbm > 0) {
    return std::string(option) + " wants dBm from -127 to 0, not " + Quoted(value);
  }
  out = *dbm;
  return std::nullopt;
}

std::optional<std::string> ToneMode(std::string_view value, Options& o) {
  const auto mode = ToneModeNamed(value);
  if (!mode) return "--tone-mode wants absolute, magnifier or link, not " + Quoted(value);
  o.Tone.Mode = *mode;
  return std::nullopt;
}

std::optional<std::string> AlignLog(std::string_view value, Options& o) {
  if (value.empty()) return "--align-log wants a file name";
  o.AlignLogFile = std::string(value);
  return std::nullopt;
}

std::optional<std::string> ToneWav(std::string_view value, Options& o) {
  if (!EndsWithNoCase(value, ".wav")) {
    return "--tone-wav wants a file name ending in .wav, not " + Quoted(value);
  }
  o.ToneWavFile = std::string(value);
  return std::nullopt;
}

std::optional<std::string> Command(std::string_view value, Options& o) {
  const auto id = WholeNumber(value);
  if (!id || *id > 65535) {
    return "--command wants a command identifier from 0 to 65535, not " + Quoted(value);
  }
  o.Commands.push_back(static_cast<std::uint16_t>(*id));
  return std::nullopt;
}

std::optional<std::string> ExportCsv(std::string_view value, Options& o) {
  if (value.empty()) return "--export-csv wants a name for the two CSV files";
  o.ExportCsvName = CsvBaseName(std::string(value));
  return std::nullopt;
}

// Every option: parsing and --help both come from here. A new option is
// one entry (and its line in the manual page, which a test compares).
constexpr Entry kOptionTable[] = {
    {"--headless", "", "no window; the program exits by itself when done",
     [](std::string_view, Options& o) { return SetFlag(o.Headless); }},
    {"--replay", "FILE",
     "feed the poll cycle from a capture file (text lines\n"
     "'<ms> <hex bytes>', optional 'start YYYY-MM-DD HH:MM:SS';\n"
     "FILE.gz is read compressed); headless it runs as fast\n"
     "as it can, else in real time",
     [](std::string_view v, Options& o) -> std::optional<std::string> {
       o.ReplayFile = std::string(v);
       return std::nullopt;
     }},
    {"--until", "MS", "replay: time of the last timer tick", Until},
    {"--screen", "N",
     "screen at start: 1 transmitter, 2 signal vs frequency,\n"
     "3 signal vs time (default), 4 channel quality vs time,\n"
     "5 antenna alignment",
     Screen},
    {"--report", "FILE.json", "at exit, write the diagnostics store as JSON",
     [](std::string_view v, Options& o) -> std::optional<std::string> {
       o.ReportFile = std::string(v);
       return std::nullopt;
     }},
    {"--snapshot", "FILE", "at exit, repaint the screen into FILE.svg or FILE.png", Snapshot},
    {"--export-csv", "NAME",
     "at exit, write the figures to NAME-channels.csv and\n"
     "NAME-history.csv",
     ExportCsv},
    {"--size", "WxH", "client area size when headless (default 800x560)", ParseSize},
    {"--scale", "N",
     "a PNG snapshot at N times the pixels (1 to 4), text and\n"
     "lines drawn at that density, as on a high-density\n"
     "screen (default 1)",
     Scale},
    {"--serial", "PORT",
     "open the serial link: Com1 .. Com8, or a device (then\n"
     "known as Com1). Windows: ComN is COMn, and a device is\n"
     "a port name such as COM12 or \\\\.\\COM12. Linux: ComN is\n"
     "the N-th serial port found, USB adapters first, and a\n"
     "device is a path such as /dev/ttyUSB0",
     Serial, "Live links (one at a time; headless runs need --seconds):"},
    {"--port", "ComN=DEVICE", "let ComN reach DEVICE (repeatable)", ParsePortMap},
    {"--list-ports", "",
     "list the serial ports: the name ptpdiag uses, the device,\n"
     "the adapter's chip, and whether it can be opened now\n"
     "(or who holds it); then exit",
     [](std::string_view, Options& o) { return SetFlag(o.ListPorts); }},
    {"--tcp", "HOST:PORT", "connect to the radio over TCP", Tcp},
    {"--udp", "", "listen for the radio's datagrams on UDP port 4131",
     [](std::string_view, Options& o) { return SetFlag(o.Udp); }},
    {"--udp-port", "N", "listen on port N instead of 4131", UdpPort},
    {"--demo", "",
     "start a simulated radio in the program, streaming\n"
     "over UDP on this machine, and listen to it",
     [](std::string_view, Options& o) { return SetFlag(o.Demo); }},
    {"--seconds", "N",
     "close the link and exit after N seconds (headless\n"
     "with no link: run idle that long)",
     Seconds},
    {"--record", "FILE",
     "write every byte received, stamped with the timer tick\n"
     "that took it, to a new capture file that --replay can\n"
     "play (FILE.gz: compressed)",
     [](std::string_view v, Options& o) -> std::optional<std::string> {
       o.RecordFile = std::string(v);
       return std::nullopt;
     }},
    {"--tick-stats", "", "at exit, print how late the 250 ms timer ran",
     [](std::string_view, Options& o) { return SetFlag(o.TickStats); }},
    {"--interference-db", "T",
     "a channel visit counts as interfered when its noise is\n"
     "T dB or more over the link's floor (default 10)",
     InterferenceDb},
    {"--align-log", "FILE.csv",
     "write the alignment figures, one row per timer tick:\n"
     "level, raw signal, SNR, good %, peak, best, tone",
     AlignLog},
    {"--tone-mode", "MODE",
     "the alignment tone: absolute (pitch by level, default),\n"
     "magnifier (each dB a step from the last 10 s) or link",
     ToneMode},
    {"--tone-squelch", "DBM", "absolute tone: silent below this level (default -100)",
     [](std::string_view v, Options& o) { return Dbm("--tone-squelch", v, o.Tone.SquelchDbm); }},
    {"--tone-top", "DBM", "absolute tone: the highest pitch from this level (default -40)",
     [](std::string_view v, Options& o) { return Dbm("--tone-top", v, o.Tone.TopDbm); }},
    {"--alarms", "FILE.json", "the alarm rules (default: the installed set)",
     [](std::string_view v, Options& o) -> std::optional<std::string> {
       if (v.empty()) return "--alarms wants a file name";
       o.AlarmsFile = std::string(v);
       return std::nullopt;
     }},
    {"--print-alarms", "", "print the alarm rules in effect as JSON (a file for\n--alarms to start from) and exit",
     [](std::string_view, Options& o) { return SetFlag(o.PrintAlarms); }},
    {"--print-prometheus-rules", "",
     "print Prometheus alerting rules for the alarm rules and exit",
     [](std::string_view, Options& o) { return SetFlag(o.PrintPrometheusRules); }},
    {"--link-report", "FILE.html",
     "at exit, write the commissioning report: verdicts\n"
     "against the profile's limits, evidence, screens and\n"
     "history, in one HTML page, and its twin FILE.json",
     LinkReport},
    {"--profile", "FILE.json", "the report's limits (default: the installed profile)",
     [](std::string_view v, Options& o) -> std::optional<std::string> {
       if (v.empty()) return "--profile wants a file name";
       o.ProfileFile = std::string(v);
       return std::nullopt;
     }},
    {"--print-profile", "", "print the report's limits in effect as JSON and exit",
     [](std::string_view, Options& o) { return SetFlag(o.PrintProfile); }},
    {"--photo", "FILE",
     "a JPEG or PNG photo for the report (the mast, the\n"
     "antennas), scaled down to at most 1600 pixels a side\n"
     "(repeatable, at most 20)",
     [](std::string_view v, Options& o) -> std::optional<std::string> {
       if (v.empty()) return "--photo wants a JPEG or PNG file";
       if (o.Photos.size() >= kMaxPhotos) return "more than 20 --photo options";
       o.Photos.emplace_back(v);
       return std::nullopt;
     }},
    {"--compare", "BEFORE.cap AFTER.cap",
     "headless: replay both recordings and write how each\n"
     "figure changed (after less before), per channel too:\n"
     "as JSON with --report, as a page with --link-report",
     [](std::string_view v, Options& o) -> std::optional<std::string> {
       if (v.empty() || o.CompareFiles.size() >= 2) return "--compare wants two recordings, BEFORE and AFTER";
       o.CompareFiles.emplace_back(v);
       return std::nullopt;
     }},
    {"--report-field", "KEY=VALUE",
     "a line of the report's site details, such as\n"
     "\"Site A=North mast\" or \"Engineer=J. Smith\"\n"
     "(repeatable, kept in order)",
     ReportField},
    {"--tone-wav", "FILE.wav",
     "render the alignment tone of the whole run into a WAV\n"
     "(16-bit mono, 44.1 kHz), whether the tone is on or not",
     ToneWav},
    {"--metrics", "[HOST:]PORT",
     "serve the link's figures for Prometheus at\n"
     "http://HOST:PORT/metrics (HOST 127.0.0.1 unless given;\n"
     "0.0.0.0 serves every interface)",
     Metrics},
    {"--serve", "[HOST:]PORT",
     "serve the link's state for the web view at\n"
     "http://HOST:PORT/api/state.json, and the metrics (HOST\n"
     "127.0.0.1 unless given; another address needs --token)",
     Serve},
    {"--token", "TOKEN|auto",
     "ask every request to the server for this token (16 to\n"
     "128 letters, digits, '-' or '_'), as ?token=TOKEN or\n"
     "an Authorization: Bearer header; auto makes one up",
     Token},
    {"--no-reconnect", "",
     "a TCP link that drops and a serial port whose device\n"
     "goes away stay down until opened again (by default\n"
     "they are tried again after 1, 2, 4, 8, 16, then\n"
     "every 30 s)",
     [](std::string_view, Options& o) { return SetFlag(o.NoReconnect); }},
    {"--open", "FILE.RAD", "load a radio file (the Open command without its prompt)", OpenFile,
     "Commands (run after start-up, after any link option):"},
    {"--command", "ID",
     "send command ID to the window, as its menu item would\n"
     "(repeatable, run in order). Some identifiers:\n"
     "119 Chg Comm port  120 Close Comm  121 Open Comm\n"
     "129 network address and port  130 connect TCP\n"
     "131 close network link  150 open UDP  151 Locate Radio\n"
     "152 Polling Interval  141-143 Screen1-3  3072 New\n"
     "3073 Open  3074 Close  3075 Save  3076 Exit\n"
     "3080 Help  3081 About  3090 Record  3091 Export CSV\n"
     "3092 Save Picture  3093 Stop Recording  3094 User Guide\n"
     "3095 Screen4  3096 Screen5  3097 Tone",
     Command},
    {"--save", "FILE.RAD",
     "after the commands, save the radio list and the\n"
     "network address (the Save command without its prompt)",
     SaveFile},
    {"--help", "", "this text", [](std::string_view, Options& o) { return SetFlag(o.Help); }},
    {"--version", "", "print the version and exit",
     [](std::string_view, Options& o) { return SetFlag(o.Version); }},
};

constexpr std::size_t kHelpColumn = 22;

// Why the options cannot go together, if they cannot.
std::optional<std::string> CheckCombination(const Options& o) {
  const int links =
      (o.SerialPort ? 1 : 0) + (o.TcpTarget ? 1 : 0) + (o.Udp ? 1 : 0) + (o.Demo ? 1 : 0);
  if (links > 1) return "choose one link: --serial, --tcp, --udp or --demo";
  if (o.UntilMs && !o.ReplayFile) return "--until only applies to --replay";
  if (o.Tone.SquelchDbm >= o.Tone.TopDbm) return "--tone-squelch must be below --tone-top";
  if (o.Scale != 1 && !(o.SnapshotFile && IsPngPath(*o.SnapshotFile))) {
    return "--scale is for PNG snapshots (--snapshot FILE.png)";
  }
  if (o.ReplayFile && (links > 0 || o.RecordFile)) {
    return "--replay plays a recording; it cannot go with a live link or --record";
  }
  if (o.ReplayFile && o.RunMs) return "--seconds is for live runs; --until ends a replay";
  if (o.Headless && links > 0 && !o.RunMs) {
    return "a headless live run needs --seconds N";
  }
  if (o.RecordFile && links == 0) return "--record needs a live link to record";
  if (!o.CompareFiles.empty()) {
    if (o.CompareFiles.size() != 2) return "--compare wants two recordings, BEFORE and AFTER";
    if (!o.Headless || o.ReplayFile || links > 0) return "--compare runs headless, without --replay or a link";
    if (!o.ReportFile && !o.LinkReportFile) return "--compare writes to --report or --link-report";
  }
  if (o.MetricsHost && o.Headless && o.ReplayFile) {
    return "--metrics serves a running session; a headless replay ends at once";
  }
  if (o.Token && !o.MetricsHost) return "--token is for the server of --serve or --metrics";
  if (o.Serve && !o.Token && !o.MetricsHost->starts_with("127.")) {
    return "--serve on " + *o.MetricsHost +
           " needs --token (TOKEN or auto): anyone on that network could read the link";
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> CommPortName(std::string_view text) {
  if (text.size() != 4 || text[3] < '1' || text[3] > '8') return std::nullopt;
  const auto lower = [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  };
  if (lower(text[0]) != 'c' || lower(text[1]) != 'o' || lower(text[2]) != 'm') return std::nullopt;
  return "Com" + std::string(1, text[3]);
}

bool IsPngPath(std::string_view path) {
  return EndsWithNoCase(path, ".png");
}

// "--compare A B" as "--compare A --compare B", so the table's one value
// per option takes both.
std::vector<std::string_view> CompareAsPairs(std::span<const std::string_view> args) {
  std::vector<std::string_view> out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    out.push_back(args[i]);
    if (args[i] == "--compare" && i + 2 < args.size() && !args[i + 2].starts_with("--")) {
      out.insert(out.end(), {args[i + 1], "--compare", args[i + 2]});
      i += 2;
    }
  }
  return out;
}

OptionsResult ParseOptions(std::span<const std::string_view> args) {
  OptionsResult result;
  const std::vector<std::string_view> paired = CompareAsPairs(args);
  result.Error = ParseByTable<Options>(kOptionTable, paired, result.Parsed);
  if (!result.Error) result.Error = CheckCombination(result.Parsed);
  return result;
}

std::string UsageText() {
  return "Usage: ptpdiag [options]\n"
         "Norvalen PTP Diagnostics: shows the diagnostic frames of a radio link.\n"
         "With no option the window opens with no link.\n"
         "\n" +
         OptionsHelp<Options>(kOptionTable, kHelpColumn) +
         "\n"
         "Exit codes: 0 done (also after Ctrl+C or SIGTERM); 1 a report, snapshot,\n"
         "recording or --save file could not be written at the end; 2 bad options, an output file\n"
         "that cannot be written (checked at start), an unreadable or malformed\n"
         "capture file, an --open file that cannot be read, or a recording file that\n"
         "cannot be made; 3 a headless live run whose link did not open; 4 a headless\n"
         "live run whose link opened but passed no good frame.\n";
}

}  // namespace ptpdiag
