#include "support/temp_folder.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

namespace ptpdiag::test {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::random_device seed;
  do {
    path_ = fs::temp_directory_path() / ("ptpdiag-test-" + std::to_string(seed()));
  } while (!fs::create_directory(path_));
}

TempFolder::~TempFolder() {
  std::error_code ec;
  // A test may have taken its own write permission away.
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::vector<std::string> TempFolder::Names() const {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(path_)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace ptpdiag::test
