#include "shell/app_context.h"

#include "shell/link_commands.h"

namespace ptpdiag {

AppContext::~AppContext() {
  AbandonLink(*this);
}

}  // namespace ptpdiag
