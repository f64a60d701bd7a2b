#include "shell/poll_cycle.h"

#include <array>
#include <cstdio>
#include <string>

#include "link/alarm_check.h"
#include "link/capture_recorder.h"
#include "link/frame_drain.h"
#include "shell/reference_command.h"
#include "screens/alarm_line.h"
#include "screens/connection_line.h"
#include "screens/screen_frame.h"
#include "screens/text_grid.h"
#include "state/app_context.h"
#include "state/link_view.h"

namespace ptpdiag {
namespace {

constexpr Rgb kPollValueGreen{0, 128, 0};
constexpr float kRawDataRow = 32.5F;

// Upper-case hexadecimal without leading zeros. A one-digit value gets a
// trailing blank so that it wipes the second digit an earlier, wider value
// left in the cell.
std::string HexText(int byte) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(byte));
  std::string s(text);
  if (s.size() == 1) s.push_back(' ');
  return s;
}

// The tick's picture of the link. The raw-data row: each of its eight
// cells shows the last byte taken for that position, and every draw covers
// its cell completely, so drawing each cell once when the bytes are done
// (or an event comes among them) leaves the same picture as drawing every
// byte as it comes, at a fraction of the cost.
class TickView final : public LinkView {
 public:
  explicit TickView(AppContext& app) : app_(app) {}

  void LinkEventCounted() override { DrawLinkEventLine(app_); }
  void RawByteTaken(int cell, int byte) override { bytes_[static_cast<std::size_t>(cell)] = byte; }
  void EventAmongRawBytes() override {
    DrawRawBytes();
    DrawLinkEventLine(app_);
  }
  void RawBytesDone() override { DrawRawBytes(); }

 private:
  void DrawRawBytes() {
    for (int i = 1; i <= 8; ++i) {
      int& byte = bytes_[static_cast<std::size_t>(i)];
      if (byte >= 0) PrintAt(app_.Window, kRawDataRow, 50 + 4 * i, HexText(byte));
      byte = -1;
    }
  }

  AppContext& app_;
  std::array<int, 9> bytes_{-1, -1, -1, -1, -1, -1, -1, -1, -1};
};

// The link's work of the tick, seen through `view`; whether the screen
// shown needs a repaint.
bool TakeTheLinksWork(AppContext& app, TickView& view) {
  WindowState& w = app.Window;
  app.Link.View = &view;
  ReportBackgroundFailures(app);
  w.ScreenDC.SetTextColor(kPollValueGreen);
  if (BringBackSerialPort(app)) DrainFrames(app);
  app.Link.View = nullptr;
  MeasureAlignment(app);
  CheckAlarms(app);
  TellAlignmentListeners(app);
  DrawAlarmLine(app);
  DrawConnectionLine(app);  // quiet time, retry countdowns, the recording mark move on
  UpdateShownSignal(app.Store);
  if (app.Store.PeriodFrames <= 0) return false;
  const std::uint8_t screen = w.ScreenNumber;
  ShowPeriodValues(app);
  DrawHeaderValues(w, app.Store);
  DrawMaxMissed(w, app.Store);
  const bool sampled = SampleHistoryIfDue(app);
  return screen == 2 || screen == 4 || screen == 5 || (sampled && (screen == 3 || screen == 1));
}

}  // namespace

LRESULT RunPollCycle(AppContext& app) {
  if (app.Link.TimerBusy == 1) return 0;
  app.Link.TimerBusy = 1;
  app.TickMonotonicMs = app.SystemClock.MonotonicMs();
  if (app.Link.Recorder != nullptr) app.Link.Recorder->StartTick(*app.TickMonotonicMs);
  WindowState& w = app.Window;
  PlatformWindow* window = w.CurrentWindow;

  w.ScreenDC.Attach(window != nullptr ? window->GetDC() : nullptr);
  PrintAt(w, 1, 73, TimeOfDayText(app.SystemClock.LocalNow()));
  TickView view(app);
  const bool repaint = TakeTheLinksWork(app, view);
  if (window != nullptr) window->ReleaseDC(w.ScreenDC.GetCanvas());
  w.ScreenDC.Release();

  if (TakeLoadedReference(app) || repaint) RepaintNow(w, false);
  if (app.Link.Recorder != nullptr) app.Link.Recorder->EndTick();
  app.TickMonotonicMs.reset();
  app.Link.TimerBusy = 0;
  return 0;
}

}  // namespace ptpdiag
