// The network links: a TCP connection whose receive thread feeds the ring,
// or the UDP port whose datagrams the window procedure appends to it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/messages.h"
#include "state/diagnostics_store.h"

namespace ptpdiag {

struct AppContext;

// A connect gives up after this long rather than freeze the window.
inline constexpr int kTcpConnectTimeoutMs = 3000;
// Each wait of the receive thread for data.
inline constexpr int kTcpReceiveWaitMs = 1000;
// The receive thread pauses while the ring holds this many bytes.
inline constexpr std::int32_t kTcpRingHighWater = kRingSize - 24;

// The port number in `text` as the link reads it: the leading decimal
// digits after any blanks; nothing when there are none or the number is
// not a port (1 to 65535).
std::optional<std::uint16_t> TcpPortNumber(std::string_view text);

// Opens the TCP link to UdpAddress:UdpPort (call only while NetLinkMode is
// 0). Without Reconnect: connects now; a failure goes on the link event
// line and NetLinkMode stays 0; otherwise the ring is emptied, the receive
// thread runs and NetLinkMode is 1. With Reconnect: NetLinkMode is 1 at
// once and the thread connects, and connects again whenever the connection
// fails or ends, until the link is closed. An empty address or port is a
// link event and opens nothing either way.
void ConnectTcp(AppContext& app);

// Listens on UdpListenPort (call only while NetLinkMode is 0) and asks the
// window for message 961 whenever a datagram waits. A port that cannot be
// bound goes on the link event line and NetLinkMode stays 0.
void OpenUdp(AppContext& app);

// Ends the TCP or UDP link, whichever is open; the TCP thread is stopped
// and joined before its socket closes. NetLinkMode is 0 afterwards.
void CloseNetLink(AppContext& app);

// Message 961: appends one waiting datagram to the ring. What does not fit
// is dropped and recorded on the link event line. Returns 0.
LRESULT OnDatagramArrived(AppContext& app);

// What the TCP thread saw: each failure on the link event line and in
// words on the status bar, each connection in words.
void ReportLinkThreadEvents(AppContext& app);

}  // namespace ptpdiag
