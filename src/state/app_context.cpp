#include "state/app_context.h"

namespace ptpdiag {

AppContext::~AppContext() {
  AbandonLink(*this);
  // A reference still being read stops at its next lines; its thread is
  // waited for as the future goes.
  if (LoadingReference) LoadingReference->Cancel->store(true);
}

void AbandonLink(AppContext& app) {
  LinkState& link = app.Link;
  if (link.LinkThreadHandle.joinable()) {
    RequestLinkThreadStop(app.Store, -1);
    link.LinkThreadWake.Wake();
    if (link.TcpSocket) link.TcpSocket->Wake();
    link.LinkThreadHandle.join();
  }
  if (link.CommHandle) link.CommHandle->Close();
  if (link.TcpSocket) link.TcpSocket->Close();
  if (link.UdpChannel) link.UdpChannel->Close();
  link.CommHandle.reset();
  link.TcpSocket.reset();
  link.UdpChannel.reset();
  link.CommOpen = 0;
  link.NetLinkMode = NetLink::None;
}

}  // namespace ptpdiag
