#include "link/frame_drain.h"

#include <string>
#include <utility>

#include "link/capture_recorder.h"
#include "link/diag_frame.h"
#include "link/link_events.h"
#include "link/net_link.h"
#include "link/serial_link.h"
#include "state/app_context.h"
#include "state/link_view.h"

namespace ptpdiag {
namespace {

// The serial port takes in what waits once per tick, so a tick handles at
// most what had arrived when it began.
void CollectSerialBytes(AppContext& app) {
  if (app.Link.CommOpen == 1 && app.Link.CommHandle != nullptr) app.Link.CommHandle->Collect();
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
  if (app.Link.NetLinkMode == NetLink::Udp) CountLinkEvent(app, kErrUdpShortfall, wanted);
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
  if (app.Link.NetLinkMode == NetLink::Tcp || app.Link.NetLinkMode == NetLink::Udp) {
    if (TakeFromNetwork(app, received)) Record(app, received);
    return;
  }
  ReadResult result = ReadSerialOrReplay(app);
  received = std::move(result.Bytes);
  Record(app, received);
  if (result.Error) ReportLinkError(app, *result.Error);
}

// Takes one byte; -1 when the link delivered none. A link event among the
// bytes is shown over the raw bytes taken before it (the rows overlap by
// two pixels).
int TakeOneByte(AppContext& app, std::string& received) {
  const std::int32_t events = app.Store.LinkEventCount;
  TakeBytes(app, received);
  if (app.Store.LinkEventCount != events && app.Link.View != nullptr) {
    app.Link.View->EventAmongRawBytes();
  }
  return received.empty() ? -1 : static_cast<std::uint8_t>(received[0]);
}

void ShowRawByte(AppContext& app, int cell, int byte) {
  if (app.Link.View != nullptr) app.Link.View->RawByteTaken(cell, byte);
}

// One frame's eight bytes after its lead byte; false when the link
// delivered fewer.
bool TakeFrameBody(AppContext& app, std::string& received, DiagFrame& frame) {
  for (int i = 1; i <= 8; ++i) {
    const int byte = TakeOneByte(app, received);
    if (byte < 0) return false;
    frame[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(byte);
    ShowRawByte(app, i, byte);
  }
  return true;
}

void ApplyCheckedFrame(AppContext& app, const DiagFrame& frame) {
  LinkTally& tally = app.Link.Tally;
  if (!CheckFrame(frame)) {
    ++tally.FramesFailedCheck;
    app.Alignment.AddFailedCheck(app.SessionMs());
    return;
  }
  ++(ApplyFrame(app.Store, frame) ? tally.FramesGood : tally.FramesIgnoredChannel);
  app.Link.LastFrameMs = app.SystemClock.MonotonicMs();
  // Times from the session's origin, as its recording stamps them, so a
  // replay gives the same figures.
  const std::int64_t ms = app.SessionMs();
  app.Quality.AddFrame(frame[1] - kChannelByteOffset, frame[2], frame[3], ms);
  app.Alignment.AddFrame(frame[1] - kChannelByteOffset, frame[3], ms);
  app.Transmitter.AddFrame(frame[6], frame[7], ms);
}

}  // namespace

void MeasureAlignment(AppContext& app) {
  const AlignmentFigures& figures = app.Alignment.EndTick(app.SessionMs(), app.Quality.FloorDbm());
  app.ToneNow = app.Tone.AtTick(figures);
}

void TellAlignmentListeners(AppContext& app) {
  for (AlignmentListener* listener : app.AlignmentListeners) {
    listener->AlignmentTick(app.Alignment.Figures(), app.ToneNow);
  }
}

void ReportBackgroundFailures(AppContext& app) {
  ReportLinkThreadEvents(app);
  if (app.Link.Recorder != nullptr) {
    if (const auto failure = app.Link.Recorder->TakeFailure()) ReportLinkError(app, *failure);
  }
}

bool BringBackSerialPort(AppContext& app) {
  if (app.Link.CommOpen != 1 || app.Link.CommHandle != nullptr) return true;
  RetrySerialOpen(app);
  app.Store.BytesAvailable = 0;
  return false;
}

std::int32_t LinkBytesAvailable(AppContext& app) {
  if (app.Link.NetLinkMode == NetLink::Tcp || app.Link.NetLinkMode == NetLink::Udp) {
    return app.Store.LinkRingCount.load();
  }
  if (app.Link.CommOpen == 1) {
    if (app.Link.CommHandle == nullptr) return 0;  // gone; KeepLinkUp tries it again
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

void DrainFrames(AppContext& app) {
  CollectSerialBytes(app);
  RefreshBytesAvailable(app);
  std::string received;
  while (app.Store.BytesAvailable > 8) {
    const int lead = TakeOneByte(app, received);
    RefreshBytesAvailable(app);
    if (lead < 0) break;
    if (lead != kFrameLead) continue;
    DiagFrame frame{};
    frame[0] = kFrameLead;
    const bool complete = TakeFrameBody(app, received, frame);
    RefreshBytesAvailable(app);
    if (!complete) break;
    ApplyCheckedFrame(app, frame);
  }
  if (app.Link.View != nullptr) app.Link.View->RawBytesDone();
}

void ShowPeriodValues(AppContext& app) {
  UpdateShownValues(app.Store);
  app.Store.ShownMaxMissed = app.Store.MaxMissRun;
}

bool SampleHistoryIfDue(AppContext& app) {
  DiagnosticsStore& s = app.Store;
  if (app.Now() - s.HistTime[static_cast<std::size_t>(s.HistIndex)] <= 1) return false;
  TakeHistorySample(s, [&app] { return app.Now(); });
  ResetPeriod(s);
  return true;
}

}  // namespace ptpdiag
