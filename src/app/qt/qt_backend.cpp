#include "app/qt/qt_backend.h"

#include <QImage>

#include "app/outputs.h"
#include "app/qt/stop_signals.h"
#include "platform/os/libserialport_driver.h"
#include "platform/os/posix_network.h"
#include "platform/os/stop_signals.h"
#include "platform/qt/qt_photo.h"
#include "platform/qt/event_window.h"
#include "platform/qt/image_png.h"
#include "platform/qt/main_window.h"
#include "platform/qt/qt_dialog_host.h"
#include "platform/qt/qt_sound_out.h"
#include "platform/qt/raster_canvas.h"

namespace ptpdiag {
namespace {

// The event window and the image it draws on, as one.
class HeadlessWindow final : public LoopWindow {
 public:
  HeadlessWindow(int width, int height, std::ostream& messages)
      : image_(width, height, QImage::Format_RGB32),
        canvas_((image_.fill(Qt::white), &image_)),
        window_(width, height, &canvas_, messages) {}

  BackedWindow& Window() override { return window_; }
  void SetTickHooks(TickHooks hooks) override { window_.SetTickHooks(std::move(hooks)); }
  void StartTimer() override { window_.StartTimer(); }
  void RunAfter(std::int64_t ms, std::function<void()> work) override {
    window_.RunAfter(ms, std::move(work));
  }
  void Close() override { window_.Close(); }
  void Show() override {}
  void RunSoon(std::function<void()> work) override { window_.RunSoon(std::move(work)); }
  int RunLoop() override { return window_.RunLoop(); }
  TickStats Stats() const override { return window_.Stats(); }

 private:
  QImage image_;
  RasterCanvas canvas_;
  EventWindow window_;
};

// The main window with its dialogs.
class ScreenWindow final : public LoopWindow {
 public:
  ScreenWindow(int width, int height, bool outerSize)
      : main_(width, height, outerSize), dialogs_(&main_) {
    main_.SetDialogHost(&dialogs_);
  }

  BackedWindow& Window() override { return main_.Window(); }
  void SetTickHooks(TickHooks hooks) override { main_.SetTickHooks(std::move(hooks)); }
  void StartTimer() override { main_.StartTimer(); }
  void RunAfter(std::int64_t ms, std::function<void()> work) override {
    main_.RunAfter(ms, std::move(work));
  }
  void Close() override { main_.Close(); }
  void Show() override { main_.Show(); }
  void RunSoon(std::function<void()> work) override { main_.RunSoon(std::move(work)); }
  int RunLoop() override { return main_.RunLoop(); }
  TickStats Stats() const override { return main_.Stats(); }

 private:
  QtMainWindow main_;
  QtDialogHost dialogs_;
};

}  // namespace

QtBackend::QtBackend() {
  InstallStopRequests();
}

bool QtBackend::StopRequested() const {
  return ptpdiag::StopRequested();
}

std::unique_ptr<SerialDriver> QtBackend::MakeSerialDriver(const PortMappings& mappings) {
  return std::make_unique<LibSerialPortDriver>(mappings);
}

std::unique_ptr<Network> QtBackend::MakeNetwork() {
  return std::make_unique<PosixNetwork>();
}

std::unique_ptr<SoundOut> QtBackend::MakeSoundOut() {
  return MakeQtSoundOut();
}

std::unique_ptr<LoopWindow> QtBackend::MakeHeadlessWindow(int clientWidth, int clientHeight,
                                                          std::ostream& messages) {
  return std::make_unique<HeadlessWindow>(clientWidth, clientHeight, messages);
}

std::unique_ptr<LoopWindow> QtBackend::MakeMainWindow(int clientWidth, int clientHeight,
                                                      bool outerSize) {
  return std::make_unique<ScreenWindow>(clientWidth, clientHeight, outerSize);
}

std::unique_ptr<StopRequests> QtBackend::HandleStopRequests(std::function<void()> stop) {
  return std::make_unique<StopSignals>(std::move(stop));
}

PhotoResult QtBackend::LoadScaledPhoto(const std::string& path, int mostSide) {
  return LoadScaledPhotoQt(path, mostSide);
}

std::optional<std::string> QtBackend::WritePng(BackedWindow& window, const std::string& path,
                                               int scale) {
  const Rect client = window.GetClientRect();
  QImage image(client.Width() * scale, client.Height() * scale, QImage::Format_RGB32);
  image.setDevicePixelRatio(scale);
  image.fill(Qt::white);
  {
    RasterCanvas raster(&image);
    RepaintInto(window, raster);
  }
  return WriteImagePng(image, path);
}

}  // namespace ptpdiag
