// A complete application on a recording canvas with a scripted clock, for
// driving the window procedure the way the platform would.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/diag_frame.h"
#include "platform/backed_window.h"
#include "platform/recording_canvas.h"
#include "state/app_context.h"
#include "support/fake_links.h"

namespace ptpdiag::test {

// Local time and the monotonic count set by the test, independently.
class FakeClock final : public Clock {
 public:
  LocalDateTime Local{2026, 3, 1, 12, 0, 0, 0};
  std::int64_t Monotonic = 0;
  // The zone's offset from UTC at an instant; none: UTC.
  std::function<std::int32_t(std::int64_t)> Zone;
  LocalDateTime LocalNow() const override { return Local; }
  std::int64_t MonotonicMs() const override { return Monotonic; }
  std::int32_t UtcOffsetSeconds(std::int64_t unixSeconds) const override {
    return Zone ? Zone(unixSeconds) : 0;
  }
  // Moves both clocks on by whole seconds (no calendar roll-over needed in tests).
  void AdvanceSeconds(int seconds);
};

// A frame with a correct check byte.
DiagFrame MakeFrame(int channel, int noise, int signal, int xmit, int rcvd, int vswr, int current);
std::vector<std::uint8_t> Bytes(const DiagFrame& frame);

struct TestApp {
  explicit TestApp(int width = 800, int height = 560, int screen = 3);

  // Sends WM_TIMER through the window procedure.
  void Tick();
  // A full erase-and-paint repaint into a fresh recording.
  void Repaint();
  // Makes the fake serial port the open link, without its thread.
  void OpenFakeSerial();

  // The fakes come first: the application's link may use them until it ends.
  FakeClock clock;
  FakeSource source;
  FakeSerialDriver serial{source};
  FakeNetwork network;
  AppContext app{clock};
  RecordingCanvas canvas;
  BackedWindow window;
};

}  // namespace ptpdiag::test
