#include "app/win32/win32_backend.h"

#include "app/outputs.h"
#include "platform/png_file.h"
#include "platform/win32/wic_photo.h"
#include "platform/win32/comm_port.h"
#include "platform/win32/console.h"
#include "platform/win32/gdi_canvas.h"
#include "platform/win32/wave_out.h"
#include "platform/win32/win32_loop_window.h"
#include "platform/win32/winsock_network.h"

namespace ptpdiag {
namespace {

class ConsoleStops final : public StopRequests {
 public:
  ConsoleStops(Win32LoopWindow& window, std::function<void()> stop) {
    SetConsoleStopHandler([&window, stop] { window.RunSoon(stop); });
    if (ptpdiag::StopRequested()) window.RunSoon(stop);
  }
  ~ConsoleStops() override { ClearConsoleStopHandler(); }
  ConsoleStops(const ConsoleStops&) = delete;
  ConsoleStops& operator=(const ConsoleStops&) = delete;
};

// Nothing to stop without a window.
class NoStops final : public StopRequests {};

}  // namespace

std::unique_ptr<SerialDriver> Win32Backend::MakeSerialDriver(const PortMappings& mappings) {
  return std::make_unique<Win32SerialDriver>(mappings);
}

std::unique_ptr<Network> Win32Backend::MakeNetwork() {
  return std::make_unique<WinsockNetwork>();
}

std::unique_ptr<SoundOut> Win32Backend::MakeSoundOut() {
  return MakeWaveOut();
}

std::unique_ptr<LoopWindow> Win32Backend::MakeHeadlessWindow(int clientWidth, int clientHeight,
                                                             std::ostream& messages) {
  auto window = std::make_unique<Win32EventWindow>(clientWidth, clientHeight, messages);
  lastWindow_ = window.get();
  return window;
}

std::unique_ptr<LoopWindow> Win32Backend::MakeMainWindow(int clientWidth, int clientHeight,
                                                         bool outerSize) {
  auto window = std::make_unique<Win32MainWindow>(clientWidth, clientHeight, outerSize);
  lastWindow_ = window.get();
  return window;
}

std::unique_ptr<StopRequests> Win32Backend::HandleStopRequests(std::function<void()> stop) {
  if (lastWindow_ == nullptr) return std::make_unique<NoStops>();
  return std::make_unique<ConsoleStops>(*lastWindow_, std::move(stop));
}

bool Win32Backend::StopRequested() const {
  return ptpdiag::StopRequested();
}

PhotoResult Win32Backend::LoadScaledPhoto(const std::string& path, int mostSide) {
  return LoadScaledPhotoWic(path, mostSide);
}

std::optional<std::string> Win32Backend::WritePng(BackedWindow& window, const std::string& path,
                                                  int scale) {
  const Rect client = window.GetClientRect();
  GdiImage image(client.Width() * scale, client.Height() * scale);
  {
    GdiCanvas canvas(image.Dc(), scale);
    RepaintInto(window, canvas);
  }
  return WritePngFile(path, image.Width(), image.Height(), image.Rgb());
}

}  // namespace ptpdiag
