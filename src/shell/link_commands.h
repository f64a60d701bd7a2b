// The commands that open, close and switch links. At most one link is open:
// each open first ends the others.
#pragma once

#include <string>

#include "platform/messages.h"
#include "resources/command_ids.h"

namespace ptpdiag {

struct AppContext;


// The port chosen in "Chg Comm port": an open port is closed first; the new
// one is not opened.
void ChangeCommPort(AppContext& app, const std::string& portName);

// The link commands as WM_COMMAND runs them, each with its result.
LRESULT CommandCloseComm(AppContext& app);
LRESULT CommandOpenComm(AppContext& app);
LRESULT CommandConnectTcp(AppContext& app, std::uint32_t message, WPARAM wParam, LPARAM lParam);
LRESULT CommandCloseNetwork(AppContext& app, std::uint32_t message, WPARAM wParam, LPARAM lParam);
LRESULT CommandOpenUdp(AppContext& app, std::uint32_t message, WPARAM wParam, LPARAM lParam);

// Open UDP (150) with its repaint; the command line's --udp and --demo
// skip the password dialog.
void OpenUdpLink(AppContext& app, bool askPassword);

// The window is going away: closes whichever link is open.
void CloseLinkOnDestroy(AppContext& app);

}  // namespace ptpdiag
