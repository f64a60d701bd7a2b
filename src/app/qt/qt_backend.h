// The program on Linux: Qt's event loop, windows and pictures, serial
// ports through libserialport, POSIX sockets and signals.
#pragma once

#include "app/backend.h"
#include "platform/os/system_clock.h"

namespace ptpdiag {

class QtBackend final : public AppBackend {
 public:
  const Clock& SystemTime() override { return clock_; }
  std::unique_ptr<SerialDriver> MakeSerialDriver(const PortMappings& mappings) override;
  std::unique_ptr<Network> MakeNetwork() override;
  // Needs a Qt GUI application.
  std::unique_ptr<LoopWindow> MakeHeadlessWindow(int clientWidth, int clientHeight,
                                                 std::ostream& messages) override;
  // Needs a QApplication.
  std::unique_ptr<LoopWindow> MakeMainWindow(int clientWidth, int clientHeight,
                                             bool outerSize) override;
  std::unique_ptr<SoundOut> MakeSoundOut() override;
  // The signals' handlers are installed with the backend.
  QtBackend();
  std::unique_ptr<StopRequests> HandleStopRequests(std::function<void()> stop) override;
  bool StopRequested() const override;
  // Needs a Qt GUI application.
  std::optional<std::string> WritePng(BackedWindow& window, const std::string& path,
                                      int scale) override;
  PhotoResult LoadScaledPhoto(const std::string& path, int mostSide) override;

 private:
  SystemClock clock_;
};

}  // namespace ptpdiag
