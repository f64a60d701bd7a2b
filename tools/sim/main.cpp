// ptpdiag-sim: a simulated radio for trying ptpdiag without one.
#include <iostream>
#include <string_view>
#include <vector>

#include "sim_run.h"
#ifdef _WIN32
#include "platform/win32/winsock_network.h"
#else
#include "platform/os/posix_network.h"
#endif

int main(int argc, char** argv) {
  // Captures run to tens of megabytes; C stdio sync only slows that down.
  std::ios::sync_with_stdio(false);
  const std::vector<std::string_view> args(argv + 1, argv + argc);
#ifdef _WIN32
  ptpdiag::WinsockNetwork network;
#else
  ptpdiag::PosixNetwork network;
#endif
  return ptpdiag::sim::RunSim(args, network, std::cout, std::cerr);
}
