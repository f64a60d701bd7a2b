// The Windows serial driver through a stand-in for the comm calls: the
// settings each open applies, how failures read, and what the poll cycle
// gets from a port that misbehaves.
#include "platform/win32/comm_port.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <map>
#include <vector>

#include "platform/port_listing.h"

namespace ptpdiag {
namespace {

// One fake port: the device control block and queues it holds, and the
// calls made, in order.
class FakeComm final : public CommSystem {
 public:
  DWORD OpenError = 0;
  bool StateCallsFail = false;
  bool QueryFails = false;
  DWORD QueryError = ERROR_BAD_COMMAND;
  DWORD LineErrors = 0;
  std::string Waiting;
  bool ReadFails = false;
  bool CloseFails = false;
  DCB State{};
  COMMTIMEOUTS Timeouts{};
  std::vector<std::string> Calls;
  std::vector<std::pair<DWORD, DWORD>> Queues;  // Setup calls: receive, transmit
  std::string OpenedName;
  std::string Written;

  std::vector<PortInfo> Devices;             // what ListDevices gives
  std::map<std::string, DWORD> OpenErrorOf;  // by device; else OpenError

  HANDLE Open(const std::string& device, DWORD& error) override {
    OpenedName = device;
    Calls.push_back("open");
    const auto own = OpenErrorOf.find(device);
    error = own != OpenErrorOf.end() ? own->second : OpenError;
    return error != 0 ? INVALID_HANDLE_VALUE : Port();
  }
  std::vector<PortInfo> ListDevices() override { return Devices; }
  bool GetState(HANDLE, DCB& state) override {
    Calls.push_back("get state");
    state = State;
    return !StateCallsFail;
  }
  bool SetState(HANDLE, DCB& state) override {
    Calls.push_back("set state");
    if (StateCallsFail) return false;
    State = state;
    return true;
  }
  bool GetProperties(HANDLE, COMMPROP& properties) override {
    properties.dwCurrentRxQueue = current_.first;
    properties.dwCurrentTxQueue = current_.second;
    return true;
  }
  bool Setup(HANDLE, DWORD receive, DWORD transmit) override {
    Calls.push_back("setup");
    Queues.emplace_back(receive, transmit);
    current_ = {receive, transmit};
    return true;
  }
  bool GetTimeouts(HANDLE, COMMTIMEOUTS& timeouts) override {
    timeouts = Timeouts;
    return true;
  }
  bool SetTimeouts(HANDLE, COMMTIMEOUTS& timeouts) override {
    Calls.push_back("set timeouts");
    Timeouts = timeouts;
    return true;
  }
  bool ClearError(HANDLE, DWORD& errors, COMSTAT& status) override {
    if (QueryFails) return false;
    errors = std::exchange(LineErrors, 0);
    status.cbInQue = static_cast<DWORD>(Waiting.size());
    return true;
  }
  bool Read(HANDLE, void* buffer, DWORD size, DWORD& got) override {
    if (ReadFails) return false;
    got = std::min<DWORD>(size, static_cast<DWORD>(Waiting.size()));
    std::memcpy(buffer, Waiting.data(), got);
    Waiting.erase(0, got);
    return true;
  }
  bool Write(HANDLE, const void* bytes, DWORD size, DWORD& written) override {
    Written.append(static_cast<const char*>(bytes), size);
    written = size;
    return true;
  }
  bool Close(HANDLE) override {
    Calls.push_back("close");
    return !CloseFails;
  }
  DWORD LastError() override { return QueryFails ? QueryError : ERROR_OPERATION_ABORTED; }

 private:
  static HANDLE Port() { return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x1234)); }
  std::pair<DWORD, DWORD> current_{1200, 600};
};

// The driver's defaults before the open: everything the open must change
// set the other way.
DCB Unfriendly() {
  DCB d{};
  d.BaudRate = 9600;
  d.ByteSize = 7;
  d.Parity = EVENPARITY;
  d.StopBits = TWOSTOPBITS;
  d.fParity = TRUE;
  d.fOutxCtsFlow = TRUE;
  d.fOutxDsrFlow = TRUE;
  d.fDsrSensitivity = TRUE;
  d.fDtrControl = DTR_CONTROL_HANDSHAKE;
  d.fRtsControl = RTS_CONTROL_TOGGLE;
  d.fOutX = TRUE;
  d.XonChar = 0x11;
  return d;
}

TEST(Win32Serial, OpenAppliesTheFixedSettingsOneAtATime) {
  FakeComm comm;
  comm.State = Unfriendly();
  comm.Timeouts.ReadTotalTimeoutConstant = 5000;
  comm.Timeouts.WriteTotalTimeoutMultiplier = 7;
  Win32SerialDriver driver({}, comm);
  const SerialOpenResult opened = driver.Open("Com3");
  ASSERT_TRUE(opened.Port) << opened.Error->Detail;
  EXPECT_EQ(comm.OpenedName, "\\\\.\\COM3");
  EXPECT_EQ(comm.State.BaudRate, 115200U);
  EXPECT_EQ(comm.State.ByteSize, 8);
  EXPECT_EQ(comm.State.Parity, NOPARITY);
  EXPECT_EQ(comm.State.StopBits, ONESTOPBIT);
  EXPECT_FALSE(comm.State.fParity);
  EXPECT_FALSE(comm.State.fOutxCtsFlow);
  EXPECT_FALSE(comm.State.fOutxDsrFlow);
  EXPECT_FALSE(comm.State.fDsrSensitivity);
  EXPECT_EQ(comm.State.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
  EXPECT_TRUE(comm.State.fBinary);
  // Left as the driver had them.
  EXPECT_EQ(comm.State.fRtsControl, static_cast<DWORD>(RTS_CONTROL_TOGGLE));
  EXPECT_TRUE(comm.State.fOutX);
  EXPECT_EQ(comm.State.XonChar, 0x11);
  // Transmit 1024 keeping the receive queue, then receive 4096 keeping that.
  EXPECT_EQ(comm.Queues, (std::vector<std::pair<DWORD, DWORD>>{{1200, 1024}, {4096, 1024}}));
  EXPECT_EQ(comm.Timeouts.WriteTotalTimeoutConstant, 100U);
  EXPECT_EQ(comm.Timeouts.WriteTotalTimeoutMultiplier, 0U);
  EXPECT_EQ(comm.Timeouts.ReadIntervalTimeout, MAXDWORD);  // reads never wait
  EXPECT_EQ(comm.Timeouts.ReadTotalTimeoutConstant, 0U);
  const auto sets = std::count(comm.Calls.begin(), comm.Calls.end(), "set state");
  EXPECT_EQ(sets, 9) << "each setting its own read-modify-write";
}

TEST(Win32Serial, SettingsThatFailAreSkippedAndTheOpenGoesOn) {
  FakeComm comm;
  comm.StateCallsFail = true;
  Win32SerialDriver driver({}, comm);
  EXPECT_TRUE(driver.Open("Com1").Port);
  EXPECT_EQ(std::count(comm.Calls.begin(), comm.Calls.end(), "set state"), 0);
}

struct NameCase {
  const char* Name;
  PortMappings Mappings;
  const char* Device;
};

class Win32PortNames : public testing::TestWithParam<NameCase> {};

TEST_P(Win32PortNames, ReachCreateFileWithTheDevicePrefix) {
  FakeComm comm;
  Win32SerialDriver driver(GetParam().Mappings, comm);
  ASSERT_TRUE(driver.Open(GetParam().Name).Port);
  EXPECT_EQ(comm.OpenedName, GetParam().Device);
}

INSTANTIATE_TEST_SUITE_P(
    Names, Win32PortNames,
    testing::Values(NameCase{"Com1", {}, "\\\\.\\COM1"}, NameCase{"com8", {}, "\\\\.\\COM8"},
                    NameCase{"Com1", {{"Com1", "COM12"}}, "\\\\.\\COM12"},
                    NameCase{"Com2", {{"com2", "\\\\.\\COM10"}}, "\\\\.\\COM10"},
                    NameCase{"Com1", {{"Com1", "\\\\.\\CNCA0"}}, "\\\\.\\CNCA0"}));

struct FailureCase {
  DWORD Error;
  SerialOpenFailure Failure;
};

class Win32OpenFailures : public testing::TestWithParam<FailureCase> {};

TEST_P(Win32OpenFailures, SayWhatWentWrongInTheUsersNames) {
  FakeComm comm;
  comm.OpenError = GetParam().Error;
  Win32SerialDriver driver({{"Com1", "COM12"}}, comm);
  const SerialOpenResult opened = driver.Open("Com1");
  ASSERT_FALSE(opened.Port);
  ASSERT_TRUE(opened.Error);
  EXPECT_EQ(opened.Error->Failure, GetParam().Failure);
  EXPECT_EQ(opened.Error->Device, "COM12");
  EXPECT_FALSE(opened.Error->Detail.empty());
  EXPECT_EQ(opened.Error->Detail.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, Win32OpenFailures,
    testing::Values(FailureCase{ERROR_FILE_NOT_FOUND, SerialOpenFailure::NoSuchDevice},
                    FailureCase{ERROR_PATH_NOT_FOUND, SerialOpenFailure::NoSuchDevice},
                    FailureCase{ERROR_ACCESS_DENIED, SerialOpenFailure::InUse},
                    FailureCase{ERROR_SHARING_VIOLATION, SerialOpenFailure::InUse},
                    FailureCase{ERROR_GEN_FAILURE, SerialOpenFailure::Other}));

TEST(Win32Serial, NamesThatReachNoPortAreNoSuchDevice) {
  FakeComm comm;
  Win32SerialDriver driver({}, comm);
  const SerialOpenResult opened = driver.Open("LPT1");
  ASSERT_TRUE(opened.Error);
  EXPECT_EQ(opened.Error->Failure, SerialOpenFailure::NoSuchDevice);
  EXPECT_TRUE(opened.Error->Device.empty());
  EXPECT_TRUE(comm.Calls.empty());
}

// The system's ports under their names, each tried: one another program
// has is "access denied", which is in use; a name with no port is none.
TEST(Win32Serial, ListsThePortsAndWhetherEachOpens) {
  FakeComm comm;
  PortInfo usb{"COM3", true, "USB Serial Port (COM3)", "", "", {}, {}, "", ""};
  ReadUsbInstanceId("FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000", usb);
  comm.Devices = {PortInfo{"COM1", false, "Communications Port (COM1)", "", "", {}, {}, "", ""},
                  usb, PortInfo{"COM12", false, "", "", "", {}, {}, "", ""}};
  comm.OpenErrorOf["\\\\.\\COM3"] = ERROR_ACCESS_DENIED;
  Win32SerialDriver driver({}, comm);
  const std::vector<SerialPortListing> listings = driver.ListPorts(true);
  ASSERT_EQ(listings.size(), 9U);
  EXPECT_EQ(listings[0].Info.Device, "COM1");
  EXPECT_EQ(listings[0].Access, PortAccess::Yes);
  EXPECT_EQ(listings[1].Access, PortAccess::NoDevice);
  EXPECT_EQ(listings[2].Info.Device, "COM3");
  EXPECT_EQ(listings[2].Access, PortAccess::InUse);
  EXPECT_EQ(listings[2].Info.VendorId, 0x0403);
  EXPECT_EQ(listings[2].Info.SerialNumber, "A50285BI");
  EXPECT_EQ(listings[8].ComName, "");
  EXPECT_EQ(listings[8].Info.Device, "COM12");
  EXPECT_EQ(listings[8].Access, PortAccess::Yes);
  // A name reaching no port says which there are.
  comm.OpenError = ERROR_FILE_NOT_FOUND;
  const SerialOpenResult missing = driver.Open("Com2");
  ASSERT_TRUE(missing.Error && missing.Error->PortsHere);
  EXPECT_EQ(*missing.Error->PortsHere,
            (std::vector<std::string>{"Com1 (COM1)", "Com3 (COM3)", "COM12"}));
}

TEST(Win32Serial, QueueCountsReadsAndLineErrors) {
  FakeComm comm;
  Win32SerialDriver driver({}, comm);
  auto port = driver.Open("Com1").Port;
  ASSERT_TRUE(port);
  comm.Waiting = "\xF0\x01\x02";
  port->Collect();
  EXPECT_EQ(comm.Waiting, "");  // all of it in one read
  EXPECT_EQ(port->Queued().Count, 3);
  comm.Waiting = "\x03";  // after the collect: waits for the next
  EXPECT_EQ(port->Read(2).Bytes, "\xF0\x01");
  EXPECT_EQ(port->Queued().Count, 1);
  // A line error takes nothing in at that collect; the next sees the queue again.
  comm.LineErrors = CE_OVERRUN;
  port->Collect();
  const QueueStatus afterError = port->Queued();
  EXPECT_EQ(afterError.Count, 1);
  EXPECT_FALSE(afterError.Error);
  port->Collect();
  EXPECT_EQ(port->Queued().Count, 2);
  EXPECT_EQ(port->Read(5).Bytes, "\x02\x03");
  EXPECT_EQ(port->Read(1).Bytes, "");
}

TEST(Win32Serial, AnAdapterPulledOutIsADeviceGoneEventPerQuery) {
  FakeComm comm;
  Win32SerialDriver driver({}, comm);
  auto port = driver.Open("Com1").Port;
  comm.QueryFails = true;
  for (int i = 0; i < 2; ++i) {
    port->Collect();
    const QueueStatus status = port->Queued();
    EXPECT_EQ(status.Count, 0);
    ASSERT_TRUE(status.Error);
    EXPECT_EQ(status.Error->Code, kErrSerialGone);
    EXPECT_EQ(status.Error->Extended, static_cast<std::int32_t>(ERROR_BAD_COMMAND));
  }
  comm.ReadFails = true;
  const ReadResult read = port->Read(1);
  ASSERT_TRUE(read.Error);
  EXPECT_EQ(read.Error->Code, kErrSerialRead);
  EXPECT_TRUE(read.Bytes.empty());
}

TEST(Win32Serial, CloseOnceReportsItsFailureAndWritesStopAfter) {
  FakeComm comm;
  comm.CloseFails = true;
  Win32SerialDriver driver({}, comm);
  auto port = driver.Open("Com1").Port;
  const std::uint8_t bytes[] = {1, 2};
  EXPECT_EQ(port->Write(bytes), 2);
  EXPECT_EQ(comm.Written, std::string("\x01\x02", 2));
  EXPECT_FALSE(port->Close());
  EXPECT_TRUE(port->Close());  // already closed: nothing more to fail
  EXPECT_EQ(port->Write(bytes), -1);
  port.reset();
  EXPECT_EQ(std::count(comm.Calls.begin(), comm.Calls.end(), "close"), 1);
}

TEST(WindowsErrorText, IsOneLineOfTheSystemsWords) {
  const std::string text = WindowsErrorText(ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
  EXPECT_NE(text.back(), '\r');
  EXPECT_EQ(WindowsErrorText(0xDEADBEEF).find("error"), 0U);
}

}  // namespace
}  // namespace ptpdiag
