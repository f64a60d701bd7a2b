#include "resources/main_menu.h"

namespace ptpdiag {

const std::vector<MenuPopup>& MainMenu() {
  static const std::vector<MenuPopup> menu = [] {
    std::vector<MenuPopup> popups;
#define POPUP_BEGIN(title) popups.push_back({title, {}, false});
#define POPUP_BEGIN_RIGHT(title) popups.push_back({title, {}, true});
#define POPUP_END()
#define ITEM(text, id) popups.back().Items.push_back({text, id});
#define ITEM_HELP(text, id, help) ITEM(text, id)
#define SEPARATOR() popups.back().Items.push_back({"", 0});
#define HELP_ONLY(id, help)
#include "resources/menu_table.inc"
#undef POPUP_BEGIN
#undef POPUP_BEGIN_RIGHT
#undef POPUP_END
#undef ITEM
#undef ITEM_HELP
#undef SEPARATOR
#undef HELP_ONLY
    return popups;
  }();
  return menu;
}

}  // namespace ptpdiag
