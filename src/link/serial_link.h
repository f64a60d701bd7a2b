// The serial link: opening the radio's port with its fixed settings, the
// transmit thread that sends what the window side queues in the ring, and
// closing the port.
#pragma once

#include <string>
#include <string_view>

#include "platform/serial_port.h"

namespace ptpdiag {

struct AppContext;

inline constexpr std::string_view kOpenCommError = "Could not open comm port!";
inline constexpr std::string_view kCloseCommError = "Could not close comm port!";
inline constexpr std::string_view kErrorCaption = "Error!";

// Opens the port named CommPortName (call only while CommOpen is 0). On
// failure a message box says so and CommOpen stays 0; otherwise the ring
// is emptied, the transmit thread runs and CommOpen is 1.
void OpenSerialLink(AppContext& app);

// Stops and joins the transmit thread, then closes the port (call only
// while CommOpen is 1). CommOpen is 0 afterwards, even when the close
// failed; that failure is shown in a message box.
void CloseSerialLink(AppContext& app);

// The device of the open port went away (Reconnect on): the event goes on
// the footer and in words on the status bar, the transmit thread stops and
// the port is released; CommOpen stays 1 while RetrySerialOpen tries it
// again.
void OnSerialDeviceGone(AppContext& app, const LinkError& error);

// Tries the port again when the next try is due (after 1, 2, 4, 8, 16,
// then every 30 s), by the identity it was opened with; each failed try is
// one link event. Once it opens, the link goes on as before.
void RetrySerialOpen(AppContext& app);

// Plain words on why an open failed, for beneath the error message.
std::string SerialOpenAdvice(const std::string& portName, const SerialOpenError& error);

}  // namespace ptpdiag
