// A session on a live link: the serial driver and sockets, the demo radio,
// the recording, and opening the link the options ask for through the
// window procedure, as the link commands would.
#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "app/backend.h"
#include "app/options.h"
#include "platform/backed_window.h"
#include "platform/network.h"
#include "platform/serial_port.h"

namespace ptpdiag {

struct AppContext;

class MetricsServer;

namespace sim {
class LiveStreamer;
}

class LiveSession {
 public:
  LiveSession();
  ~LiveSession();
  LiveSession(const LiveSession&) = delete;
  LiveSession& operator=(const LiveSession&) = delete;

  // Gives the application the backend's serial driver and sockets, the
  // recorder and the metrics endpoint. False, with `error` set, when the
  // recording cannot be made or the endpoint cannot listen.
  [[nodiscard]] bool Prepare(AppContext& app, const Options& options, AppBackend& backend, std::string& error);

  // Starts the demo radio if asked for and sends the link command. False,
  // with `error` set, when the link asked for is not open afterwards.
  [[nodiscard]] bool OpenLink(AppContext& app, BackedWindow& window, const Options& options, std::string& error);

  // The server's snapshot of `app`, each timer tick, and the pictures of
  // the screens its clients have asked for.
  void PublishMetrics(AppContext& app, BackedWindow& window);

  // Once the window exists: the recording's time starts where the
  // statistics' elapsed seconds do, so a replay rebuilds the history.
  void BeginRecording(AppContext& app);

  // After the window has closed the link: stops the demo radio and writes
  // out the recording (also one started from the menu). False, said on
  // `err`, when the recording stopped on a write error.
  [[nodiscard]] bool End(AppContext& app, std::ostream& err);

 private:
  bool OpenAskedLink(AppContext& app, BackedWindow& window, const Options& options, std::string& error);
  // The server of --metrics or --serve, with its token; says where it is.
  bool StartServer(AppContext& app, const Options& options, std::string& error);

  std::unique_ptr<SerialDriver> serial_;
  std::unique_ptr<Network> network_;
  std::unique_ptr<sim::LiveStreamer> demo_;
  std::unique_ptr<MetricsServer> metrics_;
};

}  // namespace ptpdiag
