// Everything the application keeps: the diagnostics store, the link state,
// the window state, the radio list and the time base.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "alarms/alarm_engine.h"
#include "alarms/figure_samples.h"
#include "alarms/transmitter_window.h"
#include "alignment/alignment_meter.h"
#include "alignment/tone.h"
#include "platform/clock.h"
#include "quality/channel_quality.h"
#include "quality/shown_figures.h"
#include "state/diagnostics_store.h"
#include "state/link_state.h"
#include "state/radio_list.h"
#include "state/reference_recording.h"
#include "state/site_details.h"
#include "state/time_base.h"
#include "state/window_state.h"

namespace ptpdiag {

// Hears the alignment figures and the tone once a tick.
class AlignmentListener {
 public:
  virtual ~AlignmentListener() = default;
  virtual void AlignmentTick(const AlignmentFigures& figures, const ToneState& tone) = 0;
};

struct AppContext {
  explicit AppContext(const Clock& clock) : SystemClock(clock) {}
  // Stops a link thread still running (the program may end without the
  // window's close routine).
  ~AppContext();
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  DiagnosticsStore Store;
  LinkState Link;
  WindowState Window;
  RadioList Radios;
  ChannelQuality Quality;
  ShownFigures QualityShown;
  AlignmentMeter Alignment;
  TonePitch Tone;
  // The tone of the tick just ended, and whether it is switched on to sound.
  ToneState ToneNow;
  bool ToneOn = false;
  // Told of each tick's alignment figures and tone (the log, the WAV, the
  // sound); not owned.
  std::vector<AlignmentListener*> AlignmentListeners;
  // The alarm rules, checked at the end of every tick; and the session
  // time since which the link has passed no good frame.
  AlarmEngine Alarms;
  TransmitterWindow Transmitter;
  std::int64_t QuietSinceMs = 0;
  // The same figures, tick by tick, over the report's acceptance window.
  FigureSamples Samples;
  const Clock& SystemClock;
  ElapsedClock Elapsed;
  // A recording drawn for comparison, and one being read.
  std::optional<ReferenceRecording> Reference;
  std::optional<ReferenceLoading> LoadingReference;
  // Where the web view is served, with its token; empty when it is not.
  std::string WebViewUrl;
  // The report's site details, edited before each report from the menu.
  SiteDetails Site;
  // Writes the commissioning report of the session so far, with Site's
  // details, to an HTML page and its twin JSON (File -> Link Report...);
  // an error line when it cannot. Set by the application for the window.
  std::function<std::optional<std::string>(const std::string& htmlPath)> WriteLinkReport;

  // The monotonic time of the timer tick under way, which the whole tick
  // reads (as its recording stamps it, so a replay samples the history at
  // the same tick); nothing between ticks.
  std::optional<std::int64_t> TickMonotonicMs;

  // Milliseconds since the session began: the tick's time, or now between
  // ticks.
  std::int64_t SessionMs() const {
    return TickMonotonicMs.value_or(SystemClock.MonotonicMs()) - Elapsed.OriginMonotonicMs();
  }

  // Seconds since the statistics were last reset, on the monotonic count.
  std::int32_t Now() const {
    return TickMonotonicMs ? Elapsed.SecondsAt(*TickMonotonicMs) : Elapsed.Seconds(SystemClock);
  }
};

// The program is ending without the window's close routine: stops any
// link thread and releases the port or sockets, telling nobody.
void AbandonLink(AppContext& app);

}  // namespace ptpdiag
