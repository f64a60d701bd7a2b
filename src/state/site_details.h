// What the commissioning report says of the site: its lines of details in
// order and the photos it shows, as given at start and as last edited in
// the window.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace ptpdiag {

inline constexpr std::size_t kMaxReportFields = 100;
inline constexpr std::size_t kMaxPhotos = 20;

struct SiteDetails {
  std::vector<std::pair<std::string, std::string>> Fields;  // key, value (UTF-8)
  std::vector<std::string> Photos;                          // paths, in order
};

}  // namespace ptpdiag
