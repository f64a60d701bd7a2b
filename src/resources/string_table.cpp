#include "resources/string_table.h"

#include "resources/command_ids.h"

namespace ptpdiag {

std::string_view LoadMenuHelp(std::uint32_t id) {
  switch (id) {
#define POPUP_BEGIN(title)
#define POPUP_BEGIN_RIGHT(title)
#define POPUP_END()
#define ITEM(text, command)
#define ITEM_HELP(text, command, help) \
  case command:                        \
    return help;
#define SEPARATOR()
#define HELP_ONLY(command, help) ITEM_HELP("", command, help)
#include "resources/menu_table.inc"
#undef POPUP_BEGIN
#undef POPUP_BEGIN_RIGHT
#undef POPUP_END
#undef ITEM
#undef ITEM_HELP
#undef SEPARATOR
#undef HELP_ONLY
    default:
      return {};
  }
}

}  // namespace ptpdiag
