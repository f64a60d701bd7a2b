// What the metrics endpoint shows: the link's figures copied from the
// application at one timer tick, so the server thread never reads the
// window thread's state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "alignment/alignment_meter.h"
#include "alignment/tone.h"
#include "state/figures.h"
#include "state/link_state.h"

namespace ptpdiag {

struct AppContext;

struct MetricsSnapshot {
  std::string Version;
  // The tick's wall-clock time (ms since 1970), so a client on the same
  // clock can time how late it shows the state.
  std::int64_t TickUnixMs = 0;
  // The open link: "serial", "tcp" or "udp", and its port ("Com1",
  // "192.168.1.20:4000", "4131"); both empty while none is open.
  std::string LinkKind;
  std::string LinkPort;
  std::optional<double> SecondsSinceGoodFrame;  // while a link is open
  bool Recording = false;
  LinkTally Tally;
  // The header's values, once a frame has been applied.
  bool HasValues = false;
  double SignalDbm = 0.0;
  double NoiseDbm = 0.0;
  double Vswr = 0.0;
  double CurrentAmperes = 0.0;
  double ReceivedRatio = 0.0;
  std::int32_t LongestMissedRun = 0;
  // The newest closed history slot's rates, once there is one.
  std::optional<SlotFigures> LastSlot;
  std::int32_t HistorySlots = 0;
  struct Alarm {
    std::string Name;
    bool Active = false;
    std::uint64_t Transitions = 0;
  };
  std::vector<Alarm> Alarms;  // every rule, in the rules' order
  // The channels a frame has reached, with their figures.
  std::vector<std::pair<int, ChannelFigures>> Channels;
  // The tick's alignment figures and the pitch its tone has (0: silent),
  // for the web view.
  AlignmentFigures Alignment;
  ToneState Tone;
};

MetricsSnapshot TakeMetricsSnapshot(const AppContext& app, const std::string& version);

}  // namespace ptpdiag
