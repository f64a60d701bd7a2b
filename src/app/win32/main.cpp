// ptpdiag.exe: Norvalen PTP Diagnostics on Windows.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/run.h"
#include "app/win32/win32_backend.h"
#include "platform/win32/console.h"

namespace {

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.pop_back();  // the terminating nul
  return out;
}

// The arguments as the C library gives them, in the system's code page,
// which the file functions expect; but the report's site details, which
// are text, come from the wide command line as UTF-8, so a name typed in
// any script reaches the report as typed.
std::vector<std::string> Arguments(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return args;
  for (int i = 1; count == argc && i < argc; ++i) {
    const bool value = i >= 2 && std::string_view(argv[i - 1]) == "--report-field";
    if (value || std::string_view(argv[i]).starts_with("--report-field=")) args[i - 1] = Utf8(wide[i]);
  }
  LocalFree(wide);
  return args;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace ptpdiag;
  AttachParentConsole();
  const std::vector<std::string> arguments = Arguments(argc, argv);
  const std::vector<std::string_view> args(arguments.begin(), arguments.end());
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
