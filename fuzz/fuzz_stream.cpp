// Any bytes a radio, a network peer or a broken cable could deliver, fed
// to the poll cycle over the serial link in chunks, then each screen drawn:
// the decoder and the screens must take whatever comes.
#include <cstdint>
#include <string>

#include "platform/recording_canvas.h"
#include "shell/startup.h"
#include "state/app_context.h"

namespace {

class StepClock final : public ptpdiag::Clock {
 public:
  ptpdiag::LocalDateTime LocalNow() const override { return {2026, 1, 5, 9, 0, 0, 0}; }
  std::int64_t MonotonicMs() const override { return ms; }
  std::int64_t ms = 0;
};

// The input's bytes as the driver's queue: the first byte of each chunk
// says how many of the following bytes arrive before the next tick.
class Port final : public ptpdiag::SerialPort {
 public:
  ptpdiag::QueueStatus Queued() override {
    return {static_cast<std::int32_t>(arrived.size()), std::nullopt};
  }
  ptpdiag::ReadResult Read(std::int32_t count) override {
    ptpdiag::ReadResult result;
    result.Bytes = arrived.substr(0, static_cast<std::size_t>(count));
    arrived.erase(0, result.Bytes.size());
    return result;
  }
  std::int32_t Write(std::span<const std::uint8_t> bytes) override {
    return static_cast<std::int32_t>(bytes.size());
  }
  bool Close() override { return true; }
  std::string arrived;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ptpdiag;
  StepClock clock;
  AppContext app(clock);
  RecordingCanvas canvas;
  BackedWindow window(800, 560, &canvas);
  SetStartValues(app);
  CreateMainWindow(app, window);
  auto port = std::make_unique<Port>();
  Port& queue = *port;
  app.Link.CommHandle = std::move(port);
  app.Link.CommOpen = 1;
  std::size_t at = 0;
  while (at < size) {
    const std::size_t chunk = std::min<std::size_t>(data[at] * 4U, size - at - 1);
    queue.arrived.append(reinterpret_cast<const char*>(data) + at + 1, chunk);
    at += chunk + 1;
    clock.ms += 250 + static_cast<std::int64_t>(chunk) * 7;  // sometimes across seconds
    canvas.Clear();
    window.Send(WM_TIMER, 1, 0);
  }
  for (const std::uint8_t screen : {1, 2, 3}) {
    app.Window.ScreenNumber = screen;
    canvas.Clear();
    window.InvalidateRect(window.GetClientRect(), true);
    window.UpdateWindow();
  }
  app.Link.CommHandle.reset();
  app.Link.CommOpen = 0;
  return 0;
}
