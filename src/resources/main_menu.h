// The menu "MAINMENU" as the user sees it: pop-ups, item texts with their
// shortcut labels (labels only: no key runs them), command identifiers.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "resources/command_ids.h"

namespace ptpdiag {


struct MenuItem {
  std::string_view Text;  // a tab separates the shortcut label
  std::uint16_t Id = 0;   // 0 for a separator
};

struct MenuPopup {
  std::string_view Title;
  std::vector<MenuItem> Items;
  bool RightEnd = false;  // placed at the right end of the menu bar
};

const std::vector<MenuPopup>& MainMenu();

}  // namespace ptpdiag
