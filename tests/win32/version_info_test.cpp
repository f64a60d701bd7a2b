// Both Windows programs carry the project's version in their version
// resource, as Explorer's Properties and installers read it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "version.h"

namespace ptpdiag {
namespace {

struct VersionInfo {
  bool Found = false;
  VS_FIXEDFILEINFO Fixed{};
  std::string ProductVersion, FileVersion, OriginalFilename;
};

std::string StringValue(std::vector<char>& block, const char* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::string path = std::string("\\StringFileInfo\\040904E4\\") + name;
  if (!VerQueryValueA(block.data(), path.c_str(), &value, &length) || length == 0) return {};
  return std::string(static_cast<const char*>(value));
}

VersionInfo ReadVersionInfo(const char* file) {
  VersionInfo info;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(file, &handle);
  if (size == 0) return info;
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(file, 0, size, block.data())) return info;
  void* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\", &fixed, &length) || length < sizeof(VS_FIXEDFILEINFO))
    return info;
  info.Found = true;
  info.Fixed = *static_cast<const VS_FIXEDFILEINFO*>(fixed);
  info.ProductVersion = StringValue(block, "ProductVersion");
  info.FileVersion = StringValue(block, "FileVersion");
  info.OriginalFilename = StringValue(block, "OriginalFilename");
  return info;
}

struct Program {
  const char* Path;
  const char* Name;
};

TEST(VersionInfo, EveryProgramCarriesTheProjectsVersion) {
  for (const Program& program : {Program{PTPDIAG_EXE_PATH, "ptpdiag.exe"},
                                 Program{PTPDIAG_SIM_EXE_PATH, "ptpdiag-sim.exe"}}) {
    const VersionInfo info = ReadVersionInfo(program.Path);
    ASSERT_TRUE(info.Found) << program.Path;
    EXPECT_EQ(info.ProductVersion, PTPDIAG_VERSION) << program.Name;
    EXPECT_EQ(info.FileVersion, PTPDIAG_VERSION) << program.Name;
    EXPECT_EQ(info.OriginalFilename, program.Name);
    EXPECT_EQ(HIWORD(info.Fixed.dwFileVersionMS), PTPDIAG_VERSION_MAJOR) << program.Name;
    EXPECT_EQ(LOWORD(info.Fixed.dwFileVersionMS), PTPDIAG_VERSION_MINOR) << program.Name;
    EXPECT_EQ(HIWORD(info.Fixed.dwFileVersionLS), PTPDIAG_VERSION_PATCH) << program.Name;
  }
}

}  // namespace
}  // namespace ptpdiag
