#include "metrics/prometheus_rules.h"

#include <cctype>

namespace ptpdiag {
namespace {

// The alerts on the link itself, which need no alarm rule.
constexpr std::string_view kLinkAlerts = R"(      - alert: PtpdiagDown
        expr: up{job="ptpdiag"} == 0
        for: 2m
        labels:
          severity: warning
        annotations:
          summary: "ptpdiag on {{ $labels.instance }} cannot be scraped"
          description: "The program watching {{ $labels.link }} is not answering; nothing is known about the link."

      - alert: PtpdiagLinkDown
        expr: max by (job, instance, link) (ptpdiag_link_up) == 0
        for: 1m
        labels:
          severity: critical
        annotations:
          summary: "No link open to the radio of {{ $labels.link }}"
          description: "ptpdiag on {{ $labels.instance }} has had no serial, TCP or UDP link open for a minute."

      - alert: PtpdiagNoData
        expr: ptpdiag_seconds_since_last_good_frame >= 120
        labels:
          severity: critical
        annotations:
          summary: "No data from the radio of {{ $labels.link }} for 2 minutes"
          description: "The link is open but no frame has passed its check for {{ $value | humanizeDuration }}."

      - alert: PtpdiagPoorReception
        expr: ptpdiag_received_ratio < 0.8
        for: 10m
        labels:
          severity: warning
        annotations:
          summary: "Reception on {{ $labels.link }} under 80 % for 10 minutes"
          description: "Only {{ $value | humanizePercentage }} of the hops are received well."

      - alert: PtpdiagNoiseRising
        expr: >
          avg_over_time(ptpdiag_noise_dbm[10m])
            > avg_over_time(ptpdiag_noise_dbm[1h] offset 10m) + 6
        for: 10m
        labels:
          severity: warning
        annotations:
          summary: "Noise on {{ $labels.link }} 6 dB above the hour before"
          description: "The noise level averages {{ $value }} dBm over the last 10 minutes; something near the mast is interfering."
)";

// "Signal low" -> "SignalLow".
std::string AlertName(const std::string& name) {
  std::string alert = "PtpdiagAlarm";
  bool upper = true;
  for (const char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0) {
      upper = true;
      continue;
    }
    alert += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
    upper = false;
  }
  return alert;
}

std::string AlarmAlert(const AlarmRule& r) {
  const std::string figure(AlarmFigureName(r.Figure));
  std::string text = "\n      - alert: " + AlertName(r.Name) + "\n";
  text += "        expr: ptpdiag_alarm_active{alarm=\"" + r.Name + "\"} == 1\n";
  text += "        labels:\n          severity: warning\n        annotations:\n";
  text += "          summary: \"" + r.Name + " on {{ $labels.link }}\"\n";
  text += "          description: \"ptpdiag raised its alarm: " + figure + " " +
          std::string(AlarmDirectionName(r.Direction)) + " " + AlarmValueWithUnit(r.Figure, r.Threshold) + " for " +
          AlarmValueText(r.HoldSeconds) + " s; it clears at " + AlarmValueWithUnit(r.Figure, r.Clear) + ".\"\n";
  return text;
}

}  // namespace

std::string PrometheusRules(const std::vector<AlarmRule>& rules) {
  std::string text =
      "# Alerts for links watched with ptpdiag --metrics, written by\n"
      "# ptpdiag --print-prometheus-rules from its alarm rules. Check them with\n"
      "# promtool check rules ptpdiag_rules.yml and promtool test rules\n"
      "# ptpdiag_rules_test.yml.\n"
      "groups:\n"
      "  - name: ptpdiag\n"
      "    rules:\n";
  text += kLinkAlerts;
  for (const AlarmRule& r : rules) text += AlarmAlert(r);
  return text;
}

}  // namespace ptpdiag
