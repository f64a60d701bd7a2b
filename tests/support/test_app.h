// A complete application on a recording canvas with a scripted clock, for
// driving the window procedure the way the platform would.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/byte_source.h"
#include "link/diag_frame.h"
#include "platform/backed_window.h"
#include "platform/recording_canvas.h"
#include "shell/app_context.h"

namespace ptpdiag::test {

// Local time and the monotonic count set by the test, independently.
class FakeClock final : public Clock {
 public:
  LocalDateTime Local{2026, 3, 1, 12, 0, 0, 0};
  std::int64_t Monotonic = 0;
  LocalDateTime LocalNow() const override { return Local; }
  std::int64_t MonotonicMs() const override { return Monotonic; }
  // Moves both clocks on by whole seconds (no calendar roll-over needed in tests).
  void AdvanceSeconds(int seconds);
};

// A serial driver fake: bytes queue up and are read one request at a time.
class FakeSource final : public ByteSource {
 public:
  std::string Queue;
  std::vector<LinkError> FailNextReads;  // consumed one per read
  int FailOnRead = 0;                     // this read (counted from 1) fails
  int Reads = 0;
  std::int32_t BytesAvailable() override { return static_cast<std::int32_t>(Queue.size()); }
  ReadResult Read(std::int32_t count) override;
  void Push(const std::vector<std::uint8_t>& bytes) { Queue.append(bytes.begin(), bytes.end()); }
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
  // Makes the fake serial port the open link.
  void OpenFakeSerial();

  FakeClock clock;
  AppContext app{clock};
  RecordingCanvas canvas;
  BackedWindow window;
  FakeSource source;
};

}  // namespace ptpdiag::test
