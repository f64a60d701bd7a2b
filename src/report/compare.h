// Before and after: two recorded sessions of one link reduced to the same
// figures, and every figure's change (after less before), so a repair can
// be shown to have helped. Swapping the sessions negates every change; a
// session compared with itself changes nothing.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "report/report_profile.h"

namespace ptpdiag {

struct AppContext;

inline constexpr int kComparedChannels = 111;

// A channel as screens 1 and 2 show it.
struct ChannelSummary {
  std::optional<double> SignalDbm, NoiseDbm, GoodPct, Vswr, CurrentMa;
};

struct SessionSummary {
  std::optional<double> SignalDbm;  // the median level over the acceptance window
  std::optional<double> NoiseDbm;   // the link's noise floor
  std::optional<double> GoodPct;    // of every visit to channels 1 to 111
  std::optional<double> Vswr;       // the median of each tick's highest reading
  std::optional<double> CurrentMa;  // the median
  std::optional<double> FlaggedChannels;
  std::optional<double> FadeMarginDb;  // as the verdict grades it
  std::array<ChannelSummary, kComparedChannels> Channels{};  // channel 1 first
};

SessionSummary SummaryOf(const AppContext& app, const ReportProfile& profile);

// One recording compared: its file name, SHA-256 and length.
struct CompareSide {
  std::string File;
  std::string Sha256;
  double Minutes = 0;
  SessionSummary Summary;
};

// after - before as the report shows both (one decimal); nothing where
// either is not known.
std::optional<double> Change(const std::optional<double>& before, const std::optional<double>& after);

// {"Before": {...}, "After": {...}, "Summary": {...}, "Channels": [...]}
std::string CompareJson(const CompareSide& before, const CompareSide& after);

// "After: signal +6.2 dB, noise floor unchanged, 2 fewer flagged channels".
std::string CompareSentence(const SessionSummary& before, const SessionSummary& after);

// The comparison as one self-contained HTML page.
std::string CompareHtml(const CompareSide& before, const CompareSide& after, const std::string& generated,
                        const std::string& program);

}  // namespace ptpdiag
