// Link events in plain words, for the status bar: "TCP: 192.168.1.20:4000
// refused the connection", "Serial: Com3 went away (adapter unplugged?)".
// The footer's "Num= Type= Value=" line stays as it is; these come beside.
#pragma once

#include <cstdint>
#include <string>

#include "platform/link_error.h"

namespace ptpdiag {

struct AppContext;

// One sentence for the event `error`, naming the link it happened on.
std::string LinkEventWords(const AppContext& app, const LinkError& error);

// "Reconnected to 192.168.1.20:4000 after 14 s", or for a first connection
// "TCP: connected to 192.168.1.20:4000".
std::string TcpConnectedWords(const AppContext& app, std::int64_t downMs);
// "Reconnected to Com3 after 14 s".
std::string SerialReopenedWords(const AppContext& app, std::int64_t downMs);

// "HOST:PORT" of the TCP link, as the user gave them.
std::string TcpTarget(const AppContext& app);

// The open link in words: "serial port Com1", "TCP 10.0.0.7:4000", "UDP
// port 4131" (with ", demo radio" for the program's own); empty when none
// is open.
std::string OpenLinkName(const AppContext& app);

// A link event or connection in words: on the status bar (unless a menu
// item's help is showing there), and on the link's event log (headless
// runs write it to standard error).
void SayLinkNews(AppContext& app, std::string text);

}  // namespace ptpdiag
