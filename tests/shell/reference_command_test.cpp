#include "shell/reference_command.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "resources/main_menu.h"
#include "support/test_app.h"

namespace ptpdiag {
namespace {

using test::TestApp;

// Ticks until the reference has been read (at most 10 s).
void TickUntilLoaded(TestApp& t) {
  for (int i = 0; i < 1000 && t.app.LoadingReference; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    t.clock.Monotonic += 250;
    t.Tick();
  }
}

std::size_t FilledRectsOnScreen2(TestApp& t) {
  t.window.Send(WM_COMMAND, IDM_SCREEN2, 0);
  t.Repaint();
  return t.canvas.OfKind(DrawOp::Kind::Fill).size();
}

TEST(CompareWithRecording, DrawsTheRecordingDottedUntilChosenAgain) {
  struct Case {
    const char* file;
    bool loads;
    const char* status;  // the start of what the status bar says at the end
  } cases[] = {
      {"interferer.cap.gz", true, "Comparing with interferer.cap.gz"},
      {"bad_hex.cap", false, "Could not read the recording to compare: "},
      {"none.cap", false, "Could not read the recording to compare: "},
  };
  for (const Case& c : cases) {
    TestApp t;
    const std::size_t plain = FilledRectsOnScreen2(t);
    t.window.FileAnswers.push_back(std::string(PTPDIAG_TEST_DATA) + "/" + c.file);
    t.window.Send(WM_COMMAND, IDM_COMPARE_RECORDING, 0);
    TickUntilLoaded(t);
    EXPECT_FALSE(t.app.LoadingReference) << c.file;
    EXPECT_EQ(t.app.Reference.has_value(), c.loads) << c.file;
    EXPECT_EQ(t.window.StatusText().rfind(c.status, 0), 0U) << c.file << ": " << t.window.StatusText();
    if (!c.loads) continue;
    EXPECT_EQ(t.window.StatusNote(), std::string("vs ") + c.file);
    EXPECT_GT(FilledRectsOnScreen2(t), plain + 100) << "the dotted curves";
    t.window.Send(WM_COMMAND, IDM_COMPARE_RECORDING, 0);  // again: stop comparing
    EXPECT_FALSE(t.app.Reference);
    EXPECT_EQ(FilledRectsOnScreen2(t), plain);
  }
}

}  // namespace
}  // namespace ptpdiag
