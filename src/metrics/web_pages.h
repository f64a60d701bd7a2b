// The web view's pages, compiled into the program from metrics/pages/ (no
// file is read when serving, so no path can reach outside them).
#pragma once

#include <span>
#include <string_view>

namespace ptpdiag {

struct WebPage {
  std::string_view Path;  // "/", "/align", "/screens"
  std::string_view Html;
};

std::span<const WebPage> WebPages();

}  // namespace ptpdiag
