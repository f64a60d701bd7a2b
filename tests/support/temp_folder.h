// A fresh folder under the system's temporary folder, removed with all it
// holds when the test ends; and whole-file reads and writes for tests.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ptpdiag::test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }
  // The names of what the folder holds, sorted.
  std::vector<std::string> Names() const;

 private:
  std::filesystem::path path_;
};

std::string Contents(const std::string& path);
void Put(const std::string& path, const std::string& bytes);

}  // namespace ptpdiag::test
