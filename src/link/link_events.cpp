#include "link/link_events.h"

#include "link/link_words.h"
#include "state/nearest.h"
#include "state/app_context.h"
#include "state/link_view.h"

namespace ptpdiag {

void CountLinkEvent(AppContext& app, std::int32_t type, std::int32_t value) {
  DiagnosticsStore& s = app.Store;
  s.LinkEventType = type;
  s.LinkEventValue = value;
  WrapAdd(s.LinkEventCount, 1);
  ++app.Link.Tally.EventsByType[type];
  if (app.Link.View != nullptr) app.Link.View->LinkEventCounted();
}

void ReportLinkError(AppContext& app, const LinkError& error) {
  CountLinkEvent(app, error.Code, error.Extended);
  SayLinkNews(app, LinkEventWords(app, error));
}

}  // namespace ptpdiag
