#include "platform/win32/comm_port.h"

#include <initguid.h>

#include <devguid.h>
#include <setupapi.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <span>

#include "platform/port_listing.h"
#include "platform/queued_serial_port.h"

namespace ptpdiag {
namespace {

constexpr DWORD kBaudRate = 115200;
constexpr DWORD kReceiveQueue = 4096;
constexpr DWORD kTransmitQueue = 1024;
constexpr DWORD kWriteTimeoutMs = 100;
constexpr std::string_view kDeviceNamespace = "\\\\.\\";

// Every name QueryDosDeviceA knows that is "COM" and a number.
std::vector<std::string> DosComNames() {
  std::vector<char> names(64 * 1024);
  while (QueryDosDeviceA(nullptr, names.data(), static_cast<DWORD>(names.size())) == 0) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || names.size() > (16U << 20)) return {};
    names.resize(names.size() * 2);
  }
  std::vector<std::string> com;
  for (const char* name = names.data(); *name != '\0'; name += std::strlen(name) + 1) {
    if (PortNumber(name)) com.emplace_back(name);
  }
  return com;
}

std::string RegistryText(HKEY key, const char* value) {
  char text[256] = {};
  DWORD size = sizeof text - 1;
  DWORD type = 0;
  if (RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return {};
  }
  return text;
}

std::string DeviceProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
  char text[512] = {};
  if (!SetupDiGetDeviceRegistryPropertyA(set, &device, property, nullptr,
                                         reinterpret_cast<BYTE*>(text), sizeof text - 1, nullptr)) {
    return {};
  }
  return text;
}

// What Setup API knows of the ports class, by port name.
std::vector<PortInfo> SetupApiPorts() {
  std::vector<PortInfo> ports;
  const HDEVINFO set = SetupDiGetClassDevsA(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return ports;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
    const HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) continue;
    PortInfo info;
    info.Device = RegistryText(key, "PortName");
    RegCloseKey(key);
    if (!PortNumber(info.Device)) continue;
    info.Description = DeviceProperty(set, device, SPDRP_FRIENDLYNAME);
    char id[512] = {};
    if (SetupDiGetDeviceInstanceIdA(set, &device, id, sizeof id - 1, nullptr)) {
      ReadUsbInstanceId(id, info);
    }
    ports.push_back(std::move(info));
  }
  SetupDiDestroyDeviceInfoList(set);
  return ports;
}

std::vector<PortInfo> SystemComPorts() {
  std::vector<PortInfo> ports = SetupApiPorts();
  for (const std::string& name : DosComNames()) {
    const bool known = std::any_of(ports.begin(), ports.end(), [&name](const PortInfo& port) {
      return PortNumber(port.Device) == PortNumber(name);
    });
    if (!known) ports.push_back(PortInfo{name, false, "", "", "", {}, {}, "", ""});
  }
  return ports;
}

class RealComm final : public CommSystem {
 public:
  HANDLE Open(const std::string& device, DWORD& error) override {
    const HANDLE port = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    error = port == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    return port;
  }
  bool GetState(HANDLE port, DCB& state) override {
    state.DCBlength = sizeof state;
    return GetCommState(port, &state) != 0;
  }
  bool SetState(HANDLE port, DCB& state) override { return SetCommState(port, &state) != 0; }
  bool GetProperties(HANDLE port, COMMPROP& properties) override {
    return GetCommProperties(port, &properties) != 0;
  }
  bool Setup(HANDLE port, DWORD receiveQueue, DWORD transmitQueue) override {
    return SetupComm(port, receiveQueue, transmitQueue) != 0;
  }
  bool GetTimeouts(HANDLE port, COMMTIMEOUTS& timeouts) override {
    return GetCommTimeouts(port, &timeouts) != 0;
  }
  bool SetTimeouts(HANDLE port, COMMTIMEOUTS& timeouts) override {
    return SetCommTimeouts(port, &timeouts) != 0;
  }
  bool ClearError(HANDLE port, DWORD& errors, COMSTAT& status) override {
    return ClearCommError(port, &errors, &status) != 0;
  }
  bool Read(HANDLE port, void* buffer, DWORD size, DWORD& got) override {
    return ReadFile(port, buffer, size, &got, nullptr) != 0;
  }
  bool Write(HANDLE port, const void* bytes, DWORD size, DWORD& written) override {
    return WriteFile(port, bytes, size, &written, nullptr) != 0;
  }
  bool Close(HANDLE port) override { return CloseHandle(port) != 0; }
  DWORD LastError() override { return GetLastError(); }
  std::vector<PortInfo> ListDevices() override { return SystemComPorts(); }
};

std::int32_t Code(DWORD error) {
  return static_cast<std::int32_t>(error);
}

class Win32SerialPort final : public QueuedSerialPort {
 public:
  Win32SerialPort(CommSystem& comm, HANDLE port, std::string device)
      : comm_(comm), port_(port), device_(std::move(device)) {}
  ~Win32SerialPort() override { Close(); }
  Win32SerialPort(const Win32SerialPort&) = delete;
  Win32SerialPort& operator=(const Win32SerialPort&) = delete;

  // Called from the transmit thread; the write timeout bounds the wait.
  std::int32_t Write(std::span<const std::uint8_t> bytes) override {
    const std::lock_guard lock(mutex_);
    if (port_ == INVALID_HANDLE_VALUE) return -1;
    DWORD written = 0;
    if (!comm_.Write(port_, bytes.data(), static_cast<DWORD>(bytes.size()), written)) return -1;
    return static_cast<std::int32_t>(written);
  }

  std::string Identity() const override { return device_; }

  bool Close() override {
    const std::lock_guard lock(mutex_);
    if (port_ == INVALID_HANDLE_VALUE) return true;
    ForgetQueue(LinkError{kErrSerialRead, Code(ERROR_INVALID_HANDLE)});
    const bool closed = comm_.Close(port_);
    port_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 protected:
  // A line error makes this query 0 (the query clears it), so nothing is
  // taken in until the next; a failing query
  // means the device went away (an adapter pulled out).
  QueueStatus DeviceQueued() override {
    DWORD errors = 0;
    COMSTAT status{};
    if (!comm_.ClearError(port_, errors, status)) {
      return {0, LinkError{kErrSerialGone, Code(comm_.LastError())}};
    }
    if (errors != 0) return {0, std::nullopt};
    return {static_cast<std::int32_t>(status.cbInQue), std::nullopt};
  }

  ReadResult DeviceRead(std::int32_t count) override {
    ReadResult result;
    if (count <= 0) return result;
    result.Bytes.resize(static_cast<std::size_t>(count));
    DWORD got = 0;
    if (!comm_.Read(port_, result.Bytes.data(), static_cast<DWORD>(count), got)) {
      result.Bytes.clear();
      result.Error = LinkError{kErrSerialRead, Code(comm_.LastError())};
      return result;
    }
    result.Bytes.resize(got);
    return result;
  }

 private:
  CommSystem& comm_;
  HANDLE port_;
  std::string device_;
  std::mutex mutex_;  // the transmit thread's writes against Close
};

using DcbEdit = std::function<void(DCB&)>;

// Each setting is its own read-modify-write of the device control block;
// a step that fails is skipped.
void ApplyDcbEdits(CommSystem& comm, HANDLE port, std::span<const DcbEdit> edits) {
  for (const DcbEdit& edit : edits) {
    DCB state{};
    if (!comm.GetState(port, state)) continue;
    edit(state);
    comm.SetState(port, state);
  }
}

// 115200 baud, 8 data bits, no parity, one stop bit.
void ApplyLineSettings(CommSystem& comm, HANDLE port) {
  const std::array<DcbEdit, 4> edits = {
      [](DCB& d) { d.BaudRate = kBaudRate; },
      [](DCB& d) {
        d.ByteSize = 8;
        d.Parity = NOPARITY;
        d.StopBits = ONESTOPBIT;
        d.fBinary = TRUE;
      },
      [](DCB& d) { d.fParity = FALSE; },
      [](DCB& d) { d.StopBits = ONESTOPBIT; },
  };
  ApplyDcbEdits(comm, port, edits);
}

// No CTS or DSR flow control, DSR ignored, DTR on without handshake.
void ApplyHandshakeSettings(CommSystem& comm, HANDLE port) {
  const std::array<DcbEdit, 5> edits = {
      [](DCB& d) { d.fOutxCtsFlow = FALSE; },
      [](DCB& d) { d.fOutxDsrFlow = FALSE; },
      [](DCB& d) { d.fDsrSensitivity = FALSE; },
      // The handshake off, then the line on: both live in one field.
      [](DCB& d) { d.fDtrControl = DTR_CONTROL_DISABLE; },
      [](DCB& d) { d.fDtrControl = DTR_CONTROL_ENABLE; },
  };
  ApplyDcbEdits(comm, port, edits);
}

// The queues: transmit 1024 keeping the receive queue as it is, then
// receive 4096 keeping the transmit queue.
void ApplyQueueSizes(CommSystem& comm, HANDLE port) {
  COMMPROP properties{};
  if (comm.GetProperties(port, properties)) {
    comm.Setup(port, properties.dwCurrentRxQueue, kTransmitQueue);
  }
  properties = COMMPROP{};
  if (comm.GetProperties(port, properties)) {
    comm.Setup(port, kReceiveQueue, properties.dwCurrentTxQueue);
  }
}

// Writes give up after 100 ms; reads return what has arrived at once, as
// the poll cycle only asks for bytes already queued.
void ApplyTimeouts(CommSystem& comm, HANDLE port) {
  COMMTIMEOUTS timeouts{};
  comm.GetTimeouts(port, timeouts);
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  timeouts.WriteTotalTimeoutMultiplier = 0;
  timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
  comm.SetTimeouts(port, timeouts);
}

SerialOpenFailure FailureFor(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_UNIT:
    case ERROR_DEV_NOT_EXIST:
      return SerialOpenFailure::NoSuchDevice;
    // Another program holding a COM port makes it "access denied".
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
      return SerialOpenFailure::InUse;
    default:
      return SerialOpenFailure::Other;
  }
}

// "COM12" for "\\.\COM12": the name Windows users know.
std::string ShownName(const std::string& device) {
  if (device.substr(0, kDeviceNamespace.size()) == kDeviceNamespace) {
    return device.substr(kDeviceNamespace.size());
  }
  return device;
}

}  // namespace

CommSystem& WindowsComm() {
  static RealComm comm;
  return comm;
}

std::string WindowsErrorText(DWORD code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string words =
      length > 0 && text != nullptr ? std::string(text, length) : "error " + std::to_string(code);
  if (text != nullptr) LocalFree(text);
  while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ')) {
    words.pop_back();
  }
  return words;
}

Win32SerialDriver::Win32SerialDriver(PortMappings mappings, CommSystem& comm)
    : mappings_(std::move(mappings)), comm_(comm) {}

SerialOpenResult Win32SerialDriver::Open(const std::string& portName) {
  SerialOpenResult result;
  const std::optional<std::string> device = ResolvePortName(portName, mappings_, {}, true);
  if (!device) {
    result.Error =
        SerialOpenError{SerialOpenFailure::NoSuchDevice, "", "no serial port is named " + portName};
  } else {
    result = OpenDevice(*device);
  }
  if (result.Error && result.Error->Failure == SerialOpenFailure::NoSuchDevice) {
    result.Error->PortsHere = PortsHereText(ListPorts(false));
  }
  return result;
}

std::vector<SerialPortListing> Win32SerialDriver::ListPorts(bool tryOpen) {
  std::vector<SerialPortListing> listings = NamePorts(comm_.ListDevices(), mappings_, true);
  for (SerialPortListing& listing : listings) {
    if (!tryOpen || listing.Info.Device.empty()) continue;
    DWORD error = 0;
    const HANDLE port = comm_.Open(WindowsDevicePath(listing.Info.Device), error);
    if (port != INVALID_HANDLE_VALUE) {
      comm_.Close(port);
      listing.Access = PortAccess::Yes;
      continue;
    }
    switch (FailureFor(error)) {
      case SerialOpenFailure::NoSuchDevice:
        listing.Access = PortAccess::NoDevice;
        break;
      case SerialOpenFailure::InUse:
        listing.Access = PortAccess::InUse;
        break;
      default:
        listing.Access = PortAccess::Other;
        break;
    }
  }
  return listings;
}

SerialOpenResult Win32SerialDriver::Reopen(const std::string& identity) {
  return OpenDevice(WindowsDevicePath(identity));
}

SerialOpenResult Win32SerialDriver::OpenDevice(const std::string& device) {
  SerialOpenResult result;
  DWORD error = 0;
  const HANDLE port = comm_.Open(device, error);
  if (port == INVALID_HANDLE_VALUE) {
    result.Error = SerialOpenError{FailureFor(error), ShownName(device), WindowsErrorText(error)};
    return result;
  }
  ApplyLineSettings(comm_, port);
  ApplyQueueSizes(comm_, port);
  ApplyHandshakeSettings(comm_, port);
  ApplyTimeouts(comm_, port);
  result.Port = std::make_unique<Win32SerialPort>(comm_, port, device);
  return result;
}

}  // namespace ptpdiag
