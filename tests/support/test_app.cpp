#include "support/test_app.h"

#include "shell/startup.h"

namespace ptpdiag::test {

void FakeClock::AdvanceSeconds(int seconds) {
  Local.Second += seconds;
  while (Local.Second >= 60) {
    Local.Second -= 60;
    ++Local.Minute;
  }
  while (Local.Minute >= 60) {
    Local.Minute -= 60;
    ++Local.Hour;
  }
  Monotonic += 1000LL * seconds;
}

DiagFrame MakeFrame(int channel, int noise, int signal, int xmit, int rcvd, int vswr, int current) {
  DiagFrame f{kFrameLead,
              static_cast<std::uint8_t>(channel),
              static_cast<std::uint8_t>(noise),
              static_cast<std::uint8_t>(signal),
              static_cast<std::uint8_t>(xmit),
              static_cast<std::uint8_t>(rcvd),
              static_cast<std::uint8_t>(vswr),
              static_cast<std::uint8_t>(current),
              0};
  for (int i = 1; i <= 7; ++i)
    f[8] ^= f[static_cast<std::size_t>(i)];
  return f;
}

std::vector<std::uint8_t> Bytes(const DiagFrame& frame) {
  return {frame.begin(), frame.end()};
}

TestApp::TestApp(int width, int height, int screen) : window(width, height, &canvas) {
  SetStartValues(app);
  app.Link.Serial = &serial;
  app.Link.Net = &network;
  app.Window.ScreenNumber = static_cast<std::uint8_t>(screen);
  CreateMainWindow(app, window);
}

void TestApp::Tick() {
  window.Send(WM_TIMER, 1, 0);
}

void TestApp::Repaint() {
  canvas.Clear();
  window.InvalidateRect(window.GetClientRect(), true);
  window.UpdateWindow();
}

void TestApp::OpenFakeSerial() {
  app.Link.CommHandle = serial.Open("Com1").Port;
  app.Link.CommOpen = 1;
}

}  // namespace ptpdiag::test
