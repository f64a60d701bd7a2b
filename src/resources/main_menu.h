// The menu "MAINMENU" as the user sees it: pop-ups, item texts with their
// shortcut labels (labels only: no key runs them), command identifiers.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace ptpdiag {

// Commands of our own, beyond the program's command table.
inline constexpr std::uint16_t kCmdRecord = 3090;
inline constexpr std::uint16_t kCmdExportCsv = 3091;
inline constexpr std::uint16_t kCmdSavePicture = 3092;
inline constexpr std::uint16_t kCmdStopRecording = 3093;
inline constexpr std::uint16_t kCmdUserGuide = 3094;

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
