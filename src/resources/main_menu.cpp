#include "resources/main_menu.h"

namespace ptpdiag {

const std::vector<MenuPopup>& MainMenu() {
  // The items the program always had come first in each pop-up; the ones
  // that reach its other commands follow a separator.
  static const std::vector<MenuPopup> menu{
      {"&File",
       {{"&Open Radio File...", 3073},
        {"&Save Radio File...", 3075},
        {"", 0},
        {"&Record...", kCmdRecord},
        {"S&top Recording", kCmdStopRecording},
        {"Export &CSV...", kCmdExportCsv},
        {"Save &Picture...", kCmdSavePicture},
        {"", 0},
        {"E&xit\tAlt+F4", 3076}}},
      {"&Communication",
       {{"Chg Comm port\tF10", 119},
        {"Close Comm\tF11", 120},
        {"Open Comm\tF12", 121},
        {"", 0},
        {"&Network Address...", 129},
        {"Connect &TCP", 130},
        {"Listen &UDP", 150},
        {"Close Net&work", 131},
        {"", 0},
        {"&Locate Radio...", 151}}},
      {"&Show", {{"Screen1\t1", 141}, {"Screen2\t2", 142}, {"Screen3\t3", 143}}},
      {"&Help",
       {{"&Help\tF1", 3080}, {"", 0}, {"&About", 3081}, {"", 0}, {"&User Guide...", kCmdUserGuide}},
       true},
  };
  return menu;
}

}  // namespace ptpdiag
