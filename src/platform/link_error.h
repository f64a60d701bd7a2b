// Runtime errors of the links, as the link event line records them: a fixed
// nonzero number per kind of failure and the failure's secondary code (the
// system's error number, or 0 when there is none).
#pragma once

#include <cstdint>

namespace ptpdiag {

// What the system's number means, where that differs between systems:
// the backends say it, so the messages in words need no system's numbers.
// Silent: the peer stopped answering (keepalive found it gone).
enum class LinkReason { Other, InUse, Refused, Silent };

struct [[nodiscard]] LinkError {
  std::int32_t Code = 0;
  std::int32_t Extended = 0;
  LinkReason Reason = LinkReason::Other;
};

// The numbers recorded as link event types. The poll cycle's UDP shortfall
// (30) is fixed by the event line's readers; the others are this program's.
inline constexpr std::int32_t kErrUdpShortfall = 30;   // value: bytes wanted
inline constexpr std::int32_t kErrTcpNoAddress = 41;   // empty address or port; 0
inline constexpr std::int32_t kErrTcpResolve = 42;     // resolver's code
inline constexpr std::int32_t kErrTcpConnect = 43;     // errno (refused, unreachable)
inline constexpr std::int32_t kErrTcpTimeout = 44;     // seconds waited
inline constexpr std::int32_t kErrTcpPeerClosed = 45;  // 0
inline constexpr std::int32_t kErrTcpReceive = 46;     // errno
inline constexpr std::int32_t kErrTcpClose = 47;       // errno
inline constexpr std::int32_t kErrUdpBind = 51;        // errno (port in use, ...)
inline constexpr std::int32_t kErrUdpReceive = 52;     // errno
inline constexpr std::int32_t kErrRingOverflow = 53;   // bytes dropped
inline constexpr std::int32_t kErrSerialRead = 57;     // errno
inline constexpr std::int32_t kErrSerialGone = 58;     // errno, 0 on hang-up
inline constexpr std::int32_t kErrRecordWrite = 75;    // errno

// Every type above, so their counters can be shown from the start.
inline constexpr std::int32_t kLinkEventTypes[] = {
    kErrUdpShortfall, kErrTcpNoAddress, kErrTcpResolve, kErrTcpConnect, kErrTcpTimeout,
    kErrTcpPeerClosed, kErrTcpReceive,  kErrTcpClose,   kErrUdpBind,    kErrUdpReceive,
    kErrRingOverflow, kErrSerialRead,   kErrSerialGone, kErrRecordWrite};

}  // namespace ptpdiag
