// Asking the user for a file to open or a name to save under.
#pragma once

#include <string>

namespace ptpdiag {

struct FilePrompt {
  std::string Title;
  std::string FileName;    // shown at first; relative names are in InitialDir
  std::string InitialDir;  // empty: the current folder
  // Pairs of description and pattern, '|'-separated.
  std::string Filter = "Radio Files|*.RAD|All Files|*.*";
  std::string DefaultExtension = "RAD";  // added to a name typed without one
};

}  // namespace ptpdiag
