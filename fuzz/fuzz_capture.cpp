// A capture file as anyone could write it, read and replayed through the
// poll cycle, with each screen drawn at the end: nothing may crash, hang or
// draw outside what a canvas takes.
#include <cstdint>
#include <sstream>
#include <string>

#include "link/capture_file.h"
#include "link/replay.h"
#include "platform/recording_canvas.h"
#include "screens/screen_frame.h"
#include "shell/startup.h"
#include "state/app_context.h"

namespace {

// Replays may be long by design; a fuzz input gets this many ticks.
constexpr int kMostTicks = 20000;

class Text final : public ptpdiag::CaptureText {
 public:
  explicit Text(std::string text) : in_(std::move(text)) {}
  bool NextLine(std::string& line, bool& ended) override {
    if (!std::getline(in_, line)) return false;
    ended = !in_.eof();
    return true;
  }

 private:
  std::istringstream in_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ptpdiag;
  CaptureReader reader(
      std::make_unique<Text>(std::string(reinterpret_cast<const char*>(data), size)), "fuzz.cap");
  CaptureFeed feed([&reader] { return reader.Next(); });
  ReplayClock clock(reader.Start());
  AppContext app(clock);
  RecordingCanvas canvas;
  BackedWindow window(800, 560, &canvas);
  SetStartValues(app);
  CreateMainWindow(app, window);
  ReplayPlan plan;
  plan.Timing = reader.Timing();
  plan.EndMs = [&reader] { return reader.EndMs(); };
  int ticks = 0;
  plan.Stop = [&ticks] { return ++ticks > kMostTicks; };
  RunReplay(app, window, clock, feed, plan);
  for (const std::uint8_t screen : {1, 2, 3}) {
    app.Window.ScreenNumber = screen;
    canvas.Clear();
    window.InvalidateRect(window.GetClientRect(), true);
    window.UpdateWindow();
  }
  return 0;
}
