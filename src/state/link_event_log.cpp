#include "state/link_event_log.h"

#include <ostream>

namespace ptpdiag {

void LinkEventLog::Write(std::string_view text, std::int64_t nowMs) {
  if (out_ == nullptr) return;
  if (text == last_ && nowMs - lastMs_ < kRepeatQuietMs) return;
  last_.assign(text);
  lastMs_ = nowMs;
  *out_ << "ptpdiag: " << text << std::endl;
}

}  // namespace ptpdiag
