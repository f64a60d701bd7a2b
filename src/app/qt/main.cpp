// ptpdiag: Norvalen PTP Diagnostics.
#include <QApplication>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <string_view>
#include <vector>

#include "app/options.h"
#include "app/qt/qt_backend.h"
#include "app/run.h"

int main(int argc, char** argv) {
  using namespace ptpdiag;
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  Options options;
  if (const std::optional<int> done = ReadCommandLine(args, options)) return *done;
  // Qt sees only the program name: every option here is ours.
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  if (options.ListPorts) {
    QtBackend backend;
    return RunListPorts(options, backend);
  }
  if (options.Headless) {
    // A live link needs the event loop; pixels need no display.
    if (options.LiveLink() || options.RunMs ||
        (options.SnapshotFile && IsPngPath(*options.SnapshotFile))) {
      qputenv("QT_QPA_PLATFORM", "offscreen");  // pixels without a display
      // Qt warns on every start without a runtime directory (services,
      // cron jobs, containers); a private one for this run keeps stderr to
      // our own messages.
      QTemporaryDir runtimeDir;
      if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeDir.isValid()) {
        qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
      }
      QGuiApplication gui(qtArgc, qtArgv);
      QtBackend backend;
      return RunHeadless(options, backend);
    }
    QtBackend backend;
    return RunHeadless(options, backend);
  }
  QApplication app(qtArgc, qtArgv);
  QtBackend backend;
  return RunWindowed(options, backend);
}
