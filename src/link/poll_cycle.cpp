#include "link/poll_cycle.h"

#include <array>
#include <cstdio>
#include <string>
#include <utility>

#include "link/capture_recorder.h"
#include "link/diag_frame.h"
#include "link/link_words.h"
#include "link/net_link.h"
#include "link/serial_link.h"
#include "screens/connection_line.h"
#include "screens/format_masked.h"
#include "screens/text_grid.h"
#include "state/app_context.h"
#include "state/nearest.h"

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

void RefreshBytesAvailable(AppContext& app) {
  app.Store.BytesAvailable = LinkBytesAvailable(app);
}

// True when the bytes were taken; a shortfall leaves `received` as it was.
bool TakeFromNetwork(AppContext& app, std::string& received) {
  const std::int32_t wanted = app.Store.BytesWanted;
  if (wanted <= app.Store.LinkRingCount.load()) {
    received.clear();
    for (std::int32_t n = 0; n < wanted; ++n) {
      const int byte = TakeFromRing(app.Store);
      if (byte < 0) break;
      received.push_back(static_cast<char>(byte));
    }
    return true;
  }
  if (app.Link.NetLinkMode == kNetLinkUdp) LinkEventLine(app, kErrUdpShortfall, wanted);
  return false;
}

ReadResult ReadSerialOrReplay(AppContext& app) {
  if (app.Link.CommOpen == 1) {
    if (app.Link.CommHandle == nullptr) return {};
    return app.Link.CommHandle->Read(app.Store.BytesWanted);
  }
  if (app.Link.ReplayFeed == nullptr) return {};
  return app.Link.ReplayFeed->Read(app.Store.BytesWanted);
}

void Record(AppContext& app, const std::string& received) {
  if (app.Link.Recorder == nullptr) return;
  for (const char byte : received)
    app.Link.Recorder->Append(static_cast<std::uint8_t>(byte));
}

// Delivers BytesWanted bytes into `received` from the active link; a
// network shortfall leaves it as it was. A failed read becomes a link event.
void TakeBytes(AppContext& app, std::string& received) {
  if (app.Link.NetLinkMode == kNetLinkTcp || app.Link.NetLinkMode == kNetLinkUdp) {
    if (TakeFromNetwork(app, received)) Record(app, received);
    return;
  }
  ReadResult result = ReadSerialOrReplay(app);
  received = std::move(result.Bytes);
  Record(app, received);
  if (result.Error) ReportLinkError(app, *result.Error);
}

// Failures found outside the frame loop: the TCP thread's, and the
// recorder's.
void ReportBackgroundFailures(AppContext& app) {
  ReportLinkThreadEvents(app);
  if (app.Link.Recorder == nullptr) return;
  if (const auto failure = app.Link.Recorder->TakeFailure()) ReportLinkError(app, *failure);
}

// The raw-data row: each of its eight cells shows the last byte taken for
// that position. Every draw covers its cell completely, so drawing each
// cell once at the end of the drain leaves the same picture as drawing
// every byte as it comes, at a fraction of the cost.
class RawDataRow {
 public:
  void Take(int index, int byte) { bytes_[static_cast<std::size_t>(index)] = byte; }
  // Draws the cells that changed since the last draw.
  void Draw(AppContext& app) {
    for (int i = 1; i <= 8; ++i) {
      int& byte = bytes_[static_cast<std::size_t>(i)];
      if (byte >= 0) PrintAt(app.Window, kRawDataRow, 50 + 4 * i, HexText(byte));
      byte = -1;
    }
  }

 private:
  std::array<int, 9> bytes_{-1, -1, -1, -1, -1, -1, -1, -1, -1};
};

// Takes one byte; -1 when the link delivered none. A link event drawn now
// must lie over the raw bytes taken before it (the rows overlap by two
// pixels), so those are drawn first and the event line again on top.
int TakeOneByte(AppContext& app, std::string& received, RawDataRow& raw) {
  const std::int32_t events = app.Store.LinkEventCount;
  TakeBytes(app, received);
  if (app.Store.LinkEventCount != events) {
    raw.Draw(app);
    LinkEventLine(app, -1, -1);
  }
  return received.empty() ? -1 : static_cast<std::uint8_t>(received[0]);
}

// Reads frames while more than eight bytes wait. A byte that is not a lead
// byte is skipped and a frame that fails its check dropped, and the loop
// goes on: one stray byte must not hold up what waits behind it for a
// whole tick. Leaves when the link delivers nothing. Frames failing their
// check are shown on the raw row too.
void DrainFrames(AppContext& app) {
  RawDataRow raw;
  std::string received;
  while (app.Store.BytesAvailable > 8) {
    const int lead = TakeOneByte(app, received, raw);
    RefreshBytesAvailable(app);
    if (lead < 0) break;
    if (lead != kFrameLead) continue;
    DiagFrame frame{};
    frame[0] = kFrameLead;
    bool complete = true;
    for (int i = 1; i <= 8 && complete; ++i) {
      const int byte = TakeOneByte(app, received, raw);
      if (byte < 0) {
        complete = false;
        break;
      }
      frame[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(byte);
      raw.Take(i, byte);
    }
    RefreshBytesAvailable(app);
    if (!complete) break;
    LinkTally& tally = app.Link.Tally;
    if (!CheckFrame(frame)) {
      ++tally.FramesFailedCheck;
      continue;
    }
    ++(ApplyFrame(app.Store, frame) ? tally.FramesGood : tally.FramesIgnoredChannel);
    app.Link.LastFrameMs = app.SystemClock.MonotonicMs();
  }
  raw.Draw(app);
}

void DrawPolledValues(AppContext& app) {
  DiagnosticsStore& s = app.Store;
  WindowState& w = app.Window;
  PrintAt(w, 2, 13, FormatMasked(s.ShownSignal, "* #"));
  PrintAt(w, 2, 28, FormatMasked(s.ShownNoise, "* #"));
  PrintAt(w, 2, 40, FormatMasked(s.ShownVswr, "* #"));
  PrintAt(w, 2, 56, FormatMasked(s.ShownCurrent, "* #"));
  PrintAt(w, 2, 73, FormatMasked(s.ShownRcvdRate, "* #.#"));
  w.ScreenDC.SetTextColor(kBlack);
  s.ShownMaxMissed = s.MaxMissRun;
  PrintAt(w, 3, 11, FormatMasked(s.ShownMaxMissed, "* ####"));
}

// Sums up a period that had frames; returns whether the screen shown needs
// a repaint.
bool CloseUpPeriod(AppContext& app) {
  DiagnosticsStore& s = app.Store;
  const std::uint8_t screen = app.Window.ScreenNumber;
  bool repaint = screen == 2;
  UpdateShownValues(s);
  DrawPolledValues(app);
  if (app.Now() - s.HistTime[static_cast<std::size_t>(s.HistIndex)] > 1) {
    TakeHistorySample(s, [&app] { return app.Now(); });
    ResetPeriod(s);
    if (screen == 3 || screen == 1) repaint = true;
  }
  return repaint;
}

}  // namespace

std::int32_t LinkBytesAvailable(AppContext& app) {
  if (app.Link.NetLinkMode == kNetLinkTcp || app.Link.NetLinkMode == kNetLinkUdp) {
    return app.Store.LinkRingCount.load();
  }
  if (app.Link.CommOpen == 1) {
    if (app.Link.CommHandle == nullptr) {
      RetrySerialOpen(app);  // the device went away: tried again when due
      return 0;
    }
    const QueueStatus queue = app.Link.CommHandle->Queued();
    if (queue.Error && queue.Error->Code == kErrSerialGone && app.Link.Reconnect) {
      OnSerialDeviceGone(app, *queue.Error);
      return 0;
    }
    app.Link.CommDeviceGone = queue.Error && queue.Error->Code == kErrSerialGone;
    if (queue.Error) ReportLinkError(app, *queue.Error);
    return queue.Count;
  }
  return app.Link.ReplayFeed != nullptr ? app.Link.ReplayFeed->BytesAvailable() : 0;
}

void ReportLinkError(AppContext& app, const LinkError& error) {
  LinkEventLine(app, error.Code, error.Extended);
  SayLinkNews(app, LinkEventWords(app, error));
}

void LinkEventLine(AppContext& app, std::int32_t type, std::int32_t value) {
  DiagnosticsStore& s = app.Store;
  WindowState& w = app.Window;
  if (type >= 0) {
    s.LinkEventType = type;
    s.LinkEventValue = value;
    WrapAdd(s.LinkEventCount, 1);
    ++app.Link.Tally.EventsByType[type];
  }
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

LRESULT RunPollCycle(AppContext& app) {
  if (app.Link.TimerBusy == 1) return 0;
  app.Link.TimerBusy = 1;
  if (app.Link.Recorder != nullptr) app.Link.Recorder->StartTick(app.SystemClock.MonotonicMs());
  WindowState& w = app.Window;
  PlatformWindow* window = w.CurrentWindow;

  w.ScreenDC.Attach(window != nullptr ? window->GetDC() : nullptr);
  PrintAt(w, 1, 73, TimeOfDayText(app.SystemClock.LocalNow()));
  ReportBackgroundFailures(app);
  w.ScreenDC.SetTextColor(kPollValueGreen);
  RefreshBytesAvailable(app);
  DrainFrames(app);
  // Quiet time, retry countdowns and the recording mark move on.
  DrawConnectionLine(app);
  UpdateShownSignal(app.Store);
  const bool repaint = app.Store.PeriodFrames > 0 && CloseUpPeriod(app);
  if (window != nullptr) window->ReleaseDC(w.ScreenDC.GetCanvas());
  w.ScreenDC.Release();

  if (repaint) RepaintNow(w, false);
  if (app.Link.Recorder != nullptr) app.Link.Recorder->EndTick();
  app.Link.TimerBusy = 0;
  return 0;
}

}  // namespace ptpdiag
