// ptpdiag: Norvalen PTP Diagnostics.
#include <QApplication>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "app/options.h"
#include "app/qt/qt_backend.h"
#include "app/run.h"

namespace {

QtMessageHandler qtHandler = nullptr;

// Qt ends a program it cannot give a display with advice that does not
// fit ("Reinstalling the application may fix this problem"); the platform
// plugin's own complaints before that are said in our words too.
void NoDisplayHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  const bool platform =
      context.category != nullptr && std::strncmp(context.category, "qt.qpa", 6) == 0;
  if (type == QtFatalMsg) {
    std::fputs("ptpdiag: no display: use --headless\n", stderr);
    const QByteArray display = qgetenv("DISPLAY");
    if (!display.isEmpty()) {
      std::fprintf(stderr, "ptpdiag: (DISPLAY=%s cannot be opened)\n", display.constData());
    }
    std::_Exit(2);
  }
  if (platform) return;
  if (qtHandler != nullptr) qtHandler(type, context, text);
}

}  // namespace

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
  qtHandler = qInstallMessageHandler(NoDisplayHandler);
  QApplication app(qtArgc, qtArgv);
  qInstallMessageHandler(qtHandler);
  QtBackend backend;
  return RunWindowed(options, backend);
}
