// ptpdiag-sim: a simulated radio for trying ptpdiag without one.
#include <iostream>
#include <string_view>
#include <vector>

#include "sim/sim_run.h"

int main(int argc, char** argv) {
  // Captures run to tens of megabytes; C stdio sync only slows that down.
  std::ios::sync_with_stdio(false);
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  return ptpdiag::sim::RunSim(args, std::cout, std::cerr);
}
