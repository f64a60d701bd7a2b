// Serial ports on Windows: "Com1" .. "Com8" (or a mapped name) open as
// \\.\COMn through CreateFileA, exclusively, with the program's fixed
// settings applied through the device control block.
#pragma once

#include <string>
#include <vector>

#include "platform/port_names.h"
#include "platform/serial_port.h"
#include "platform/win32/windows_api.h"

namespace ptpdiag {

// The comm calls the driver makes, one method each, so tests can stand in
// for a port. Results and errors are those of the Win32 calls.
class CommSystem {
 public:
  virtual ~CommSystem() = default;
  // CreateFileA for reading and writing, no sharing; INVALID_HANDLE_VALUE
  // on failure, with GetLastError's code in `error`.
  virtual HANDLE Open(const std::string& device, DWORD& error) = 0;
  virtual bool GetState(HANDLE port, DCB& state) = 0;
  virtual bool SetState(HANDLE port, DCB& state) = 0;
  virtual bool GetProperties(HANDLE port, COMMPROP& properties) = 0;
  virtual bool Setup(HANDLE port, DWORD receiveQueue, DWORD transmitQueue) = 0;
  virtual bool GetTimeouts(HANDLE port, COMMTIMEOUTS& timeouts) = 0;
  virtual bool SetTimeouts(HANDLE port, COMMTIMEOUTS& timeouts) = 0;
  virtual bool ClearError(HANDLE port, DWORD& errors, COMSTAT& status) = 0;
  virtual bool Read(HANDLE port, void* buffer, DWORD size, DWORD& got) = 0;
  virtual bool Write(HANDLE port, const void* bytes, DWORD size, DWORD& written) = 0;
  virtual bool Close(HANDLE port) = 0;
  // GetLastError after a call that failed.
  virtual DWORD LastError() = 0;
  // The COM ports the system knows now ("COM7"), with what Setup API says
  // of each (friendly name, USB IDs and serial number) where it says it.
  virtual std::vector<PortInfo> ListDevices() = 0;
};

// The real calls.
CommSystem& WindowsComm();

class Win32SerialDriver final : public SerialDriver {
 public:
  // `mappings` name devices for port names explicitly ("Com1" -> "COM12");
  // `comm` makes the calls (not owned).
  explicit Win32SerialDriver(PortMappings mappings = {}, CommSystem& comm = WindowsComm());

  // NoSuchDevice with an empty Device when the name reaches no port;
  // Device is the port as Windows users name it ("COM12").
  SerialOpenResult Open(const std::string& portName) override;
  // A port's Identity is its device ("\\.\COM12"): opened as such.
  SerialOpenResult Reopen(const std::string& identity) override;
  // The system's COM ports under their names; `tryOpen` opens each for a
  // moment (a port another program has is "access denied": in use).
  std::vector<SerialPortListing> ListPorts(bool tryOpen) override;

 private:
  SerialOpenResult OpenDevice(const std::string& device);

  PortMappings mappings_;
  CommSystem& comm_;
};

// The words FormatMessageA gives for a system error code, without the
// trailing line break.
std::string WindowsErrorText(DWORD code);

}  // namespace ptpdiag
