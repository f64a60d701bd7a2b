#include "link/serial_link.h"

#include <algorithm>
#include <chrono>
#include <span>

#include "link/link_words.h"
#include "link/link_events.h"
#include "state/app_context.h"

namespace ptpdiag {
namespace {

// How long the idle transmit thread waits before looking at the ring
// again; queuing bytes or a stop request wakes it sooner.
constexpr std::chrono::milliseconds kIdleWait{100};
constexpr std::chrono::milliseconds kRetryWait{1};
constexpr std::int32_t kStopSerialThread = -2;

// Sends what the window side queued at LinkRingUiPos, until the count is
// negative.
void TransmitLoop(DiagnosticsStore& s, SerialPort& port, LinkThreadSignal& wake) {
  for (;;) {
    const std::int32_t queued = s.LinkRingCount.load();
    if (queued < 0) return;
    if (queued == 0) {
      wake.Wait(kIdleWait);
      continue;
    }
    const std::int32_t n = std::min(queued, kRingSize - s.LinkRingLinkPos);
    const std::int32_t written = port.Write(std::span<const std::uint8_t>(
        s.LinkRing.data() + s.LinkRingLinkPos, static_cast<std::size_t>(n)));
    if (written > 0) {
      s.LinkRingLinkPos = (s.LinkRingLinkPos + written) % kRingSize;
      s.LinkRingCount.fetch_sub(written);
    } else {
      wake.Wait(kRetryWait);
    }
  }
}

void ShowOpenFailure(AppContext& app, const SerialOpenError& error) {
  app.Window.CurrentWindow->MessageBox(kOpenCommError, kErrorCaption,
                                       SerialOpenAdvice(app.Link.CommPortName, error));
}

// The port becomes the link's: the ring is emptied and the transmit
// thread starts on it.
void TakePort(AppContext& app, std::unique_ptr<SerialPort> port) {
  LinkState& link = app.Link;
  link.CommHandle = std::move(port);
  EmptyRing(app.Store);
  link.LinkThreadHandle = std::thread(TransmitLoop, std::ref(app.Store), std::ref(*link.CommHandle),
                                      std::ref(link.LinkThreadWake));
}

// Stops and joins the transmit thread, then closes the port; false when
// the close failed.
bool ReleasePort(AppContext& app) {
  LinkState& link = app.Link;
  RequestLinkThreadStop(app.Store, kStopSerialThread);
  link.LinkThreadWake.Wake();
  if (link.LinkThreadHandle.joinable()) link.LinkThreadHandle.join();
  const bool closed = link.CommHandle == nullptr || link.CommHandle->Close();
  link.CommHandle.reset();
  return closed;
}

// " Serial ports here: Com1 (/dev/ttyUSB0), Com2 (/dev/ttyS0)." when the
// driver looked.
std::string PortsHereSentence(const std::optional<std::vector<std::string>>& ports) {
  if (!ports) return "";
  if (ports->empty()) return " There is no serial port on this computer now.";
  std::string sentence = " Serial ports here: ";
  for (std::size_t i = 0; i < ports->size(); ++i)
    sentence += (i > 0 ? ", " : "") + (*ports)[i];
  return sentence + ".";
}

}  // namespace

std::string SerialOpenAdvice(const std::string& portName, const SerialOpenError& error) {
  const std::string device = error.Device.empty() ? portName : error.Device;
  switch (error.Failure) {
    case SerialOpenFailure::PermissionDenied:
      return "This user may not open " + device +
             ". On Linux, serial ports belong to the dialout group: run "
             "'sudo adduser $USER dialout', then log out and in again.";
    case SerialOpenFailure::InUse:
      return error.Holder.empty() ? device + " is in use by another program."
                                  : device + " is in use by another program: " + error.Holder + ".";
    case SerialOpenFailure::NoSuchDevice:
      return (error.Device.empty()
                  ? "No serial port is known as " + portName + ". Is the adapter plugged in?"
                  : device + " does not exist. Is the adapter plugged in?") +
             PortsHereSentence(error.PortsHere);
    case SerialOpenFailure::NotASerialPort:
      return device + " is not a serial port.";
    case SerialOpenFailure::Other:
      break;
  }
  return error.Detail.empty() ? device : device + ": " + error.Detail;
}

void OpenSerialLink(AppContext& app) {
  LinkState& link = app.Link;
  if (link.Serial == nullptr) {
    ShowOpenFailure(app, {SerialOpenFailure::NoSuchDevice, "", "no serial ports here"});
    return;
  }
  SerialOpenResult opened = link.Serial->Open(link.CommPortName);
  if (!opened.Port) {
    ShowOpenFailure(app, opened.Error.value_or(SerialOpenError{}));
    return;
  }
  link.CommIdentity = opened.Port->Identity();
  link.CommReopen = SerialReopening{};
  link.CommDeviceGone = false;
  TakePort(app, std::move(opened.Port));
  link.CommOpen = 1;
  link.LastFrameMs = app.SystemClock.MonotonicMs();
}

void CloseSerialLink(AppContext& app) {
  LinkState& link = app.Link;
  const bool closed = ReleasePort(app);
  link.CommOpen = 0;
  link.CommReopen = SerialReopening{};
  link.CommDeviceGone = false;
  link.LastFrameMs.reset();
  if (!closed) app.Window.CurrentWindow->MessageBox(kCloseCommError, kErrorCaption, "");
}

void OnSerialDeviceGone(AppContext& app, const LinkError& error) {
  LinkState& link = app.Link;
  ReportLinkError(app, error);
  ReleasePort(app);  // a port whose device went away has nothing to close
  const std::int64_t now = app.SystemClock.MonotonicMs();
  link.CommReopen = SerialReopening{true, now, now + RetryDelayMs(0), 0};
}

void RetrySerialOpen(AppContext& app) {
  LinkState& link = app.Link;
  SerialReopening& reopen = link.CommReopen;
  const std::int64_t now = app.SystemClock.MonotonicMs();
  if (!reopen.Active || link.Serial == nullptr || now < reopen.NextTryMs) return;
  SerialOpenResult opened = link.CommIdentity.empty() ? link.Serial->Open(link.CommPortName)
                                                      : link.Serial->Reopen(link.CommIdentity);
  if (!opened.Port) {
    ++reopen.Tries;
    reopen.NextTryMs = now + RetryDelayMs(reopen.Tries);
    ReportLinkError(app, LinkError{kErrSerialGone, 0});
    return;
  }
  TakePort(app, std::move(opened.Port));
  SayLinkNews(app, SerialReopenedWords(app, now - reopen.GoneAtMs));
  reopen = SerialReopening{};
}

}  // namespace ptpdiag
