#include "screens/screen_frame.h"

#include <cstdio>
#include <string>

#include "screens/alarm_line.h"
#include "screens/alignment_screen.h"
#include "screens/channel_quality_screen.h"
#include "screens/connection_line.h"
#include "screens/format_masked.h"
#include "screens/signal_frequency_screen.h"
#include "screens/signal_time_screen.h"
#include "screens/text_grid.h"
#include "screens/transmitter_screen.h"
#include "state/app_context.h"
#include "state/civil_time.h"

namespace ptpdiag {
namespace {

constexpr Rgb kRepaintValueGreen{0, 160, 0};

// When the best level was reached, as the time of day.
std::string BestTimeText(const AppContext& app) {
  const AlignmentFigures& f = app.Alignment.Figures();
  if (!f.BestDbm) return {};
  const LocalDateTime t = ZonedAfter(app.SystemClock, app.Elapsed.OriginLocal(), f.BestMs / 1000).Local;
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.Hour, t.Minute, t.Second);
  return text;
}

void DrawHeader(WindowState& w, const DiagnosticsStore& s) {
  w.ScreenDC.SetTextColor(kBlack);
  PrintAt(w, 2, 1, "Signal(dBm)=    Noise(dBm)=    VSWR(J)=    Current(mA)=    Rcvd Rate(%)=");
  PrintAt(w, 3, 1, "MaxMissed");
  w.ScreenDC.SetTextColor(kRepaintValueGreen);
  DrawHeaderValues(w, s);
}

void DrawBody(AppContext& app) {
  WindowState& w = app.Window;
  w.ScreenDC.SetTextColor(kBlack);
  switch (w.ScreenNumber) {
    case 1:
      DrawTransmitterScreen(w, app.Store, app.Reference ? &*app.Reference : nullptr);
      break;
    case 2:
      DrawSignalFrequencyScreen(w, app.Store, app.Reference ? &*app.Reference : nullptr);
      break;
    case 3:
      DrawSignalVsTime(w, app.Store, app.Now());
      break;
    case 4:
      // The costliest screen, and its figures, are not made for a canvas
      // that keeps nothing (a headless replay paints every tick there).
      if (w.ScreenDC.Discards()) break;
      DrawChannelQualityScreen(w, app.Quality.Rows(),
                               app.QualityShown.At(app.Quality, app.SessionMs()));
      break;
    case 5:
      DrawAlignmentScreen(w, AlignmentView{app.Alignment, app.ToneNow, app.Tone.Settings().Mode,
                                           app.ToneOn, BestTimeText(app)});
      break;
    default:
      break;
  }
}

// Raw-data caption, and the connection state just above the status bar.
void DrawFooter(AppContext& app) {
  WindowState& w = app.Window;
  w.ScreenDC.SetTextColor(kBlack);
  PrintAt(w, 32.5F, 37, "Raw Data Stream:");
  DrawAlarmLine(app);
  DrawConnectionLine(app);
}

}  // namespace

void DrawHeaderValues(WindowState& w, const DiagnosticsStore& s) {
  PrintAt(w, 2, 13, FormatMasked(s.ShownSignal, "* #"));
  PrintAt(w, 2, 28, FormatMasked(s.ShownNoise, "* #"));
  PrintAt(w, 2, 40, FormatMasked(s.ShownVswr, "* #"));
  PrintAt(w, 2, 56, FormatMasked(s.ShownCurrent, "* #"));
  PrintAt(w, 2, 73, FormatMasked(s.ShownRcvdRate, "* #.#"));
}

void DrawMaxMissed(WindowState& w, const DiagnosticsStore& s) {
  w.ScreenDC.SetTextColor(kBlack);
  PrintAt(w, 3, 11, FormatMasked(s.ShownMaxMissed, "* ####"));
}

void DrawLinkEventLine(AppContext& app) {
  const DiagnosticsStore& s = app.Store;
  WindowState& w = app.Window;
  if (!w.ScreenDC.IsValid()) return;
  w.TextRect = w.ClientRect;
  w.TextRect.bottom -= 24;
  w.TextRect.left += 500;
  if (s.LinkEventCount > 0) {
    PrintAtCursor(w, FormatMasked(s.LinkEventCount, "Num=##### ") +
                         FormatMasked(s.LinkEventType, "Type=### ") +
                         FormatMasked(s.LinkEventValue, "Value=###"));
  }
}

void PaintMainWindow(AppContext& app) {
  WindowState& w = app.Window;
  PlatformWindow* window = w.CurrentWindow;
  if (window == nullptr) return;
  RefreshClientRect(w);
  w.TextRect = w.ClientRect;
  w.ScreenDC.Attach(window->BeginPaint());
  w.ScreenDC.SetTextColor(kBlack);
  w.ScreenDC.SelectBrush(kStockLightGreyBrush);
  w.ScreenDC.SelectPen(kStockBlackPen);
  w.TableRowsVisible = (w.ClientRect.Height() - 188) / 16;
  DrawLinkEventLine(app);
  DrawHeader(w, app.Store);
  DrawBody(app);
  DrawFooter(app);
  w.ScreenDC.SetTextColor(kBlack);
  w.ScreenDC.Release();
  window->EndPaint();
}

}  // namespace ptpdiag
