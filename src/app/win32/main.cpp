// ptpdiag.exe: Norvalen PTP Diagnostics on Windows.
#include <objbase.h>

#include <iostream>
#include <string_view>
#include <vector>

#include "app/run.h"
#include "app/win32/win32_backend.h"
#include "platform/win32/console.h"

int main(int argc, char** argv) {
  using namespace ptpdiag;
  AttachParentConsole();
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  Options options;
  int exitCode = 0;
  if (const std::optional<int> done = ReadCommandLine(args, options)) {
    exitCode = *done;
  } else {
    // The thread's COM, as the program has always started.
    const HRESULT com = CoInitialize(nullptr);
    Win32Backend backend;
    exitCode = options.ListPorts  ? RunListPorts(options, backend)
               : options.Headless ? RunHeadless(options, backend)
                                  : RunWindowed(options, backend);
    if (SUCCEEDED(com)) CoUninitialize();
  }
  std::cout.flush();
  std::cerr.flush();
  FinishConsoleStops();
  return exitCode;
}
