// The link's part of a timer tick: upkeep (what the TCP thread saw, the
// recorder's failures, a gone serial port tried again) beside the drain,
// taking the frames
// that arrived into the store, and closing measuring periods into the
// history. Nothing here draws; the tick's LinkView sees what happens.
#pragma once

#include <cstdint>

namespace ptpdiag {

struct AppContext;

// At the start of a tick: what the TCP thread saw and the recorder's
// failure, as link events.
void ReportBackgroundFailures(AppContext& app);

// Before the drain: a serial port whose device went away is tried again
// when that is due. False when the port was gone as the tick began: back
// or not, its bytes wait for the next tick (no drain, BytesAvailable 0).
bool BringBackSerialPort(AppContext& app);

// Bytes the active link has ready: the ring count for a network link, the
// serial driver's queue (a device found gone there is handled as such), a
// replayed capture, or 0.
std::int32_t LinkBytesAvailable(AppContext& app);

// Reads frames while more than eight bytes wait, applying each that passes
// its check. A byte that is not a lead byte is skipped and a frame that
// fails its check dropped, and the loop goes on; it leaves when the link
// delivers nothing.
void DrainFrames(AppContext& app);

// At the end of every tick, frames or not: the alignment figures of the
// tick and its tone.
void MeasureAlignment(AppContext& app);
// Then, once the alarms are checked too, the listeners hear the tick.
void TellAlignmentListeners(AppContext& app);

// For a tick that took frames: the period's values as the header shows
// them (with the longest missed run).
void ShowPeriodValues(AppContext& app);

// Closes the period into the history when at least two seconds passed
// since the newest slot; true when it did.
bool SampleHistoryIfDue(AppContext& app);

}  // namespace ptpdiag
