#include "resources/main_menu.h"

namespace ptpdiag {

const std::vector<MenuPopup>& MainMenu() {
  static const std::vector<MenuPopup> menu{
      {"&File", {{"E&xit\tAlt+F4", 3076}}},
      {"&Communication",
       {{"Chg Comm port\tF10", 119}, {"Close Comm\tF11", 120}, {"Open Comm\tF12", 121}}},
      {"&Show", {{"Screen1\t1", 141}, {"Screen2\t2", 142}, {"Screen3\t3", 143}}},
      {"&Help", {{"&Help\tF1", 3080}, {"", 0}, {"&About", 3081}}, true},
  };
  return menu;
}

}  // namespace ptpdiag
