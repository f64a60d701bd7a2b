#include "metrics/exposition.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>

#include "platform/link_error.h"

namespace ptpdiag {
namespace {

std::string Number(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "+Inf" : "-Inf";
  char text[40];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, v);
  return ec == std::errc() ? std::string(text, end) : "NaN";
}

// A label value with backslash, quote and line feed escaped.
std::string Escaped(const std::string& value) {
  std::string out;
  for (const char c : value) {
    if (c == '\\' || c == '"') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out;
}

// A family's HELP and TYPE lines go out with its first sample, so a family
// with none is left out whole.
class Writer {
 public:
  void Family(const char* name, const char* type, const char* help) {
    pending_ = std::string("# HELP ") + name + " " + help + "\n";
    pending_ += std::string("# TYPE ") + name + " " + type + "\n";
  }
  void Sample(const char* name, const std::string& labels, double value) {
    text_ += pending_;
    pending_.clear();
    text_ += name;
    if (!labels.empty()) text_ += "{" + labels + "}";
    text_ += " " + Number(value) + "\n";
  }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
  std::string pending_;
};

std::string Label(const char* name, const std::string& value) {
  return std::string(name) + "=\"" + Escaped(value) + "\"";
}

void WriteLink(Writer& w, const MetricsSnapshot& m) {
  w.Family("ptpdiag_build_info", "gauge", "Version of the program, as a label.");
  w.Sample("ptpdiag_build_info", Label("version", m.Version), 1);
  w.Family("ptpdiag_link_up", "gauge",
           "1 while the link of this kind and port is open; kind=\"none\" 0 while no link is.");
  const bool up = !m.LinkKind.empty();
  w.Sample("ptpdiag_link_up",
           Label("kind", up ? m.LinkKind : "none") + "," + Label("port", m.LinkPort), up ? 1 : 0);
  if (m.SecondsSinceGoodFrame) {
    w.Family("ptpdiag_seconds_since_last_good_frame", "gauge",
             "Seconds since a frame last passed its check (or since the link opened).");
    w.Sample("ptpdiag_seconds_since_last_good_frame", "", *m.SecondsSinceGoodFrame);
  }
  w.Family("ptpdiag_recording", "gauge", "1 while the link is being recorded to a capture file.");
  w.Sample("ptpdiag_recording", "", m.Recording ? 1 : 0);
  w.Family("ptpdiag_frames_total", "counter", "Frames read from the link, by result.");
  w.Sample("ptpdiag_frames_total", Label("result", "good"), static_cast<double>(m.Tally.FramesGood));
  w.Sample("ptpdiag_frames_total", Label("result", "failed_check"),
           static_cast<double>(m.Tally.FramesFailedCheck));
  w.Sample("ptpdiag_frames_total", Label("result", "ignored_channel"),
           static_cast<double>(m.Tally.FramesIgnoredChannel));
  w.Family("ptpdiag_link_events_total", "counter",
           "Link events by type, as the footer's Type= numbers them.");
  // Every known type from the start, so a rule on a counter's increase
  // has a series before the first event.
  std::map<std::int32_t, std::uint64_t> events = m.Tally.EventsByType;
  for (const std::int32_t type : kLinkEventTypes) events.try_emplace(type, 0);
  for (const auto& [type, count] : events)
    w.Sample("ptpdiag_link_events_total", Label("type", std::to_string(type)), static_cast<double>(count));
}

void WriteAlarms(Writer& w, const MetricsSnapshot& m) {
  w.Family("ptpdiag_alarm_active", "gauge", "1 while the alarm is raised.");
  for (const MetricsSnapshot::Alarm& a : m.Alarms) w.Sample("ptpdiag_alarm_active", Label("alarm", a.Name), a.Active ? 1 : 0);
  w.Family("ptpdiag_alarm_transitions_total", "counter", "Times the alarm was raised or cleared.");
  for (const MetricsSnapshot::Alarm& a : m.Alarms) {
    w.Sample("ptpdiag_alarm_transitions_total", Label("alarm", a.Name), static_cast<double>(a.Transitions));
  }
}

void WriteHeaderValues(Writer& w, const MetricsSnapshot& m) {
  if (!m.HasValues) return;
  w.Family("ptpdiag_signal_dbm", "gauge", "Received signal level of the last period, in dBm.");
  w.Sample("ptpdiag_signal_dbm", "", m.SignalDbm);
  w.Family("ptpdiag_noise_dbm", "gauge", "Noise level of the last period, in dBm.");
  w.Sample("ptpdiag_noise_dbm", "", m.NoiseDbm);
  w.Family("ptpdiag_vswr", "gauge", "Transmitter VSWR of the last period, as the header shows it.");
  w.Sample("ptpdiag_vswr", "", m.Vswr);
  w.Family("ptpdiag_transmitter_current_amperes", "gauge",
           "Transmitter supply current of the last period.");
  w.Sample("ptpdiag_transmitter_current_amperes", "", m.CurrentAmperes);
  w.Family("ptpdiag_received_ratio", "gauge", "Smoothed share of hops received well, 0 to 1.");
  w.Sample("ptpdiag_received_ratio", "", m.ReceivedRatio);
  w.Family("ptpdiag_longest_missed_run_hops", "gauge",
           "Longest run of missed hops in the last period.");
  w.Sample("ptpdiag_longest_missed_run_hops", "", m.LongestMissedRun);
}

void WriteRates(Writer& w, const MetricsSnapshot& m) {
  w.Family("ptpdiag_history_slots", "gauge", "History slots filled (at most 511).");
  w.Sample("ptpdiag_history_slots", "", m.HistorySlots);
  if (!m.LastSlot) return;
  w.Family("ptpdiag_transmit_bytes_per_second", "gauge",
           "The radio's transmitted data rate over the newest history slot.");
  w.Sample("ptpdiag_transmit_bytes_per_second", "", m.LastSlot->XmitKBps * 1000.0);
  w.Family("ptpdiag_receive_bytes_per_second", "gauge",
           "The radio's received data rate over the newest history slot.");
  w.Sample("ptpdiag_receive_bytes_per_second", "", m.LastSlot->RcvdKBps * 1000.0);
}

// One family over the channels that have the value.
void WriteChannels(Writer& w, const MetricsSnapshot& m, const char* name, const char* help,
                   const std::function<std::optional<double>(const ChannelFigures&)>& value) {
  w.Family(name, "gauge", help);
  for (const auto& [channel, figures] : m.Channels) {
    if (const auto v = value(figures)) {
      char mhz[32];
      const auto [end, ec] = std::to_chars(mhz, mhz + sizeof mhz, figures.FrequencyMHz,
                                           std::chars_format::fixed, 4);
      const std::string frequency = ec == std::errc() ? std::string(mhz, end) : "";
      w.Sample(name, Label("channel", std::to_string(channel)) + "," + Label("frequency_mhz", frequency),
               *v);
    }
  }
}

void WriteChannelFamilies(Writer& w, const MetricsSnapshot& m) {
  WriteChannels(w, m, "ptpdiag_channel_signal_dbm", "Smoothed received signal level per channel.",
                [](const ChannelFigures& f) { return f.SignalDbm; });
  WriteChannels(w, m, "ptpdiag_channel_noise_dbm", "Smoothed noise level per channel.",
                [](const ChannelFigures& f) { return std::optional<double>(f.NoiseDbm); });
  WriteChannels(w, m, "ptpdiag_channel_peak_noise_dbm", "Highest noise level seen per channel.",
                [](const ChannelFigures& f) { return f.PeakNoiseDbm; });
  WriteChannels(w, m, "ptpdiag_channel_good_reception_ratio",
                "Smoothed share of good receptions per channel, 0 to 1.",
                [](const ChannelFigures& f) { return std::optional<double>(f.GoodPercent / 100.0); });
  WriteChannels(w, m, "ptpdiag_channel_vswr", "Smoothed transmitter VSWR per channel.",
                [](const ChannelFigures& f) { return f.Vswr; });
  WriteChannels(w, m, "ptpdiag_channel_transmitter_current_amperes",
                "Smoothed transmitter supply current per channel.", [](const ChannelFigures& f) {
                  return f.CurrentMa ? std::optional<double>(*f.CurrentMa / 1000.0) : std::nullopt;
                });
}

}  // namespace

std::string FormatMetrics(const MetricsSnapshot& m) {
  Writer w;
  WriteLink(w, m);
  WriteAlarms(w, m);
  WriteHeaderValues(w, m);
  WriteRates(w, m);
  WriteChannelFamilies(w, m);
  return w.Take();
}

}  // namespace ptpdiag
