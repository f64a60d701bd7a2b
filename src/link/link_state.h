// Which link is open and the settings the link commands use.
#pragma once

#include <cstdint>
#include <string>

#include "link/byte_source.h"

namespace ptpdiag {

inline constexpr int kNetLinkNone = 0;
inline constexpr int kNetLinkTcp = 1;
inline constexpr int kNetLinkUdp = 2;

struct LinkState {
  std::int32_t CommOpen = 0;
  std::string CommPortName;
  std::int32_t NetLinkMode = kNetLinkNone;
  std::int32_t TimerBusy = 0;
  std::string UdpPassword;
  std::string UdpAddress;
  std::string UdpPort;
  // The open serial port while CommOpen is 1 (not owned).
  ByteSource* SerialPort = nullptr;
  // A replayed capture; read while no link is open (not owned).
  ByteSource* ReplayFeed = nullptr;
};

}  // namespace ptpdiag
