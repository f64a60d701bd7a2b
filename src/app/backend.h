// What a backend gives the runs of the program: the system clock, the
// serial ports and sockets, windows driven by its event loop, stop
// requests from the console, and pictures of the window.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "platform/backed_window.h"
#include "platform/clock.h"
#include "platform/loop_window.h"
#include "platform/network.h"
#include "platform/photo.h"
#include "platform/port_names.h"
#include "platform/serial_port.h"
#include "platform/sound_out.h"

namespace ptpdiag {

// Stop requests reach their handler while this lives.
class StopRequests {
 public:
  virtual ~StopRequests() = default;
};

class AppBackend {
 public:
  virtual ~AppBackend() = default;

  virtual const Clock& SystemTime() = 0;
  // Opens "Com1" .. "Com8" as the system names ports, or as `mappings` say.
  virtual std::unique_ptr<SerialDriver> MakeSerialDriver(const PortMappings& mappings) = 0;
  virtual std::unique_ptr<Network> MakeNetwork() = 0;

  // A window with no screen, drawing on an image of the client size;
  // message boxes go to `messages`.
  virtual std::unique_ptr<LoopWindow> MakeHeadlessWindow(int clientWidth, int clientHeight,
                                                         std::ostream& messages) = 0;
  // The main window with its menu, status bar, dialogs and file prompts.
  // `outerSize`: shown at the outer size of 808 x 600 instead of the
  // client size given.
  virtual std::unique_ptr<LoopWindow> MakeMainWindow(int clientWidth, int clientHeight,
                                                     bool outerSize) = 0;

  // The sound device for the alignment tone; it is opened only when the
  // tone is switched on.
  virtual std::unique_ptr<SoundOut> MakeSoundOut() = 0;

  // Ctrl+C, SIGTERM or the console closing run `stop` on the loop's
  // thread while the returned object lives; a request that came before
  // runs it as soon as the loop runs.
  virtual std::unique_ptr<StopRequests> HandleStopRequests(std::function<void()> stop) = 0;
  // True once such a request came; a run without an event loop (a replay)
  // looks here between steps.
  virtual bool StopRequested() const = 0;

  // One full repaint of `window`'s selected screen, as pixels, into the PNG
  // file `path`, `scale` device pixels to the logical pixel (text and
  // lines drawn at that density); an error line on failure.
  [[nodiscard]] virtual std::optional<std::string> WritePng(BackedWindow& window, const std::string& path,
                                              int scale) = 0;

  // A photo for the report, scaled down to fit `mostSide`.
  virtual PhotoResult LoadScaledPhoto(const std::string& path, int mostSide) = 0;
};

}  // namespace ptpdiag
