// The Windows headers, with the macros that would rename the core's own
// MessageBox and DefWindowProc members removed: code here calls the "A"
// functions by their full names.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>
// Winsock first: windows.h would bring the old winsock.h otherwise.
#include <commctrl.h>
#include <commdlg.h>
#include <mswsock.h>
#include <mstcpip.h>
#include <windows.h>

#undef MessageBox
#undef DefWindowProc
