// The program on Windows: Win32 windows and GDI, comm ports, Winsock, the
// console's stop events.
#pragma once

#include "app/backend.h"
#include "platform/win32/win32_clock.h"

namespace ptpdiag {

class Win32LoopWindow;

class Win32Backend final : public AppBackend {
 public:
  const Clock& SystemTime() override { return clock_; }
  std::unique_ptr<SerialDriver> MakeSerialDriver(const PortMappings& mappings) override;
  std::unique_ptr<Network> MakeNetwork() override;
  std::unique_ptr<LoopWindow> MakeHeadlessWindow(int clientWidth, int clientHeight,
                                                 std::ostream& messages) override;
  std::unique_ptr<LoopWindow> MakeMainWindow(int clientWidth, int clientHeight,
                                             bool outerSize) override;
  std::unique_ptr<SoundOut> MakeSoundOut() override;
  // The console's events reach the window made last, through its loop.
  std::unique_ptr<StopRequests> HandleStopRequests(std::function<void()> stop) override;
  bool StopRequested() const override;
  std::optional<std::string> WritePng(BackedWindow& window, const std::string& path,
                                      int scale) override;
  PhotoResult LoadScaledPhoto(const std::string& path, int mostSide) override;

 private:
  Win32Clock clock_;
  Win32LoopWindow* lastWindow_ = nullptr;
};

}  // namespace ptpdiag
