#include "platform/os/libserialport_driver.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace ptpdiag {
namespace {

// A pseudo-terminal: the test plays the radio on the master side, the driver
// opens the slave path as its serial device.
class PtyPair {
 public:
  PtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    char name[128];
    if (ptsname_r(master_, name, sizeof name) == 0) slavePath_ = name;
  }
  ~PtyPair() { CloseMaster(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool Ok() const { return master_ >= 0 && !slavePath_.empty(); }
  const std::string& SlavePath() const { return slavePath_; }
  int Master() const { return master_; }
  void Send(const std::string& bytes) const {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  void CloseMaster() {
    if (master_ >= 0) close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string slavePath_;
};

// Bytes written on the master reach the slave's queue asynchronously and the
// port offers no handle to wait on, so this polls Queued with a deadline.
QueueStatus WaitQueued(SerialPort& port, std::int32_t atLeast) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  port.Collect();
  QueueStatus status = port.Queued();
  while (!status.Error && status.Count < atLeast && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    port.Collect();
    status = port.Queued();
  }
  return status;
}

class SerialPtyTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pty_.Ok()) << "cannot create a pseudo-terminal"; }

  std::unique_ptr<SerialPort> OpenSlave() {
    SerialOpenResult result = driver_.OpenDevice(pty_.SlavePath());
    EXPECT_FALSE(result.Error.has_value()) << (result.Error ? result.Error->Detail : std::string());
    return std::move(result.Port);
  }

  PtyPair pty_;
  LibSerialPortDriver driver_;
};

TEST_F(SerialPtyTest, CountsAndReadsBytesInOrder) {
  auto port = OpenSlave();
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->Queued().Count, 0);

  const std::string sent = {'\xF0', 0x4C, 0x69, 0x0A, 0x0D, 0x00, 0x11, 0x13, '\x7F', '\xFF'};
  pty_.Send(sent);
  const QueueStatus queued = WaitQueued(*port, static_cast<std::int32_t>(sent.size()));
  ASSERT_FALSE(queued.Error.has_value());
  // Raw mode: no newline translation, no echo, no flow-control characters eaten.
  EXPECT_EQ(queued.Count, static_cast<std::int32_t>(sent.size()));

  const ReadResult first = port->Read(4);
  EXPECT_FALSE(first.Error.has_value());
  EXPECT_EQ(first.Bytes, sent.substr(0, 4));
  EXPECT_EQ(port->Queued().Count, static_cast<std::int32_t>(sent.size() - 4));
  const ReadResult rest = port->Read(100);
  EXPECT_EQ(rest.Bytes, sent.substr(4));
  EXPECT_EQ(port->Queued().Count, 0);
  EXPECT_TRUE(port->Read(10).Bytes.empty());
  EXPECT_TRUE(port->Close());
}

TEST_F(SerialPtyTest, BytesArrivingAfterACollectWaitForTheNext) {
  auto port = OpenSlave();
  ASSERT_NE(port, nullptr);
  pty_.Send("first");
  ASSERT_EQ(WaitQueued(*port, 5).Count, 5);
  pty_.Send("later");
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(port->Queued().Count, 5);
  EXPECT_EQ(port->Read(100).Bytes, "first");
  EXPECT_EQ(WaitQueued(*port, 5).Count, 5);
  EXPECT_EQ(port->Read(100).Bytes, "later");
}

TEST_F(SerialPtyTest, WritesReachTheOtherEnd) {
  auto port = OpenSlave();
  ASSERT_NE(port, nullptr);
  const std::vector<std::uint8_t> bytes = {0x01, 0x0A, 0xFE};
  EXPECT_EQ(port->Write(bytes), 3);
  std::string got;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (got.size() < bytes.size() && std::chrono::steady_clock::now() < deadline) {
    char buffer[16];
    pollfd entry{pty_.Master(), POLLIN, 0};
    ASSERT_GE(poll(&entry, 1, 5000), 0);
    const ssize_t n = read(pty_.Master(), buffer, sizeof buffer);
    if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
  }
  EXPECT_EQ(got, std::string("\x01\x0A\xFE", 3));
}

TEST_F(SerialPtyTest, WriteWhileAnotherThreadReads) {
  auto port = OpenSlave();
  ASSERT_NE(port, nullptr);
  std::thread writer([&port] {
    const std::vector<std::uint8_t> byte = {0x55};
    for (int i = 0; i < 200; ++i)
      EXPECT_GE(port->Write(byte), 0);
  });
  pty_.Send("abc");
  const QueueStatus queued = WaitQueued(*port, 3);
  writer.join();
  EXPECT_EQ(port->Read(3).Bytes, "abc");
  EXPECT_FALSE(queued.Error.has_value());
}

TEST_F(SerialPtyTest, SecondOpenOfTheSameDeviceIsInUse) {
  auto port = OpenSlave();
  ASSERT_NE(port, nullptr);
  const SerialOpenResult second = driver_.OpenDevice(pty_.SlavePath());
  EXPECT_EQ(second.Port, nullptr);
  ASSERT_TRUE(second.Error.has_value());
  EXPECT_EQ(second.Error->Failure, SerialOpenFailure::InUse);
  EXPECT_EQ(second.Error->Device, pty_.SlavePath());
  EXPECT_FALSE(second.Error->Detail.empty());

  // Another process is refused too (flock, not TIOCEXCL, which root bypasses).
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    LibSerialPortDriver driver;
    const SerialOpenResult r = driver.OpenDevice(pty_.SlavePath());
    _exit(r.Error && r.Error->Failure == SerialOpenFailure::InUse ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  // Free again once closed.
  EXPECT_TRUE(port->Close());
  const SerialOpenResult third = driver_.OpenDevice(pty_.SlavePath());
  EXPECT_NE(third.Port, nullptr);
}

TEST_F(SerialPtyTest, DeviceVanishingMidStreamIsReportedGone) {
  auto port = OpenSlave();
  ASSERT_NE(port, nullptr);
  pty_.Send("0123456789");
  ASSERT_EQ(WaitQueued(*port, 10).Count, 10);
  EXPECT_EQ(port->Read(3).Bytes, "012");

  pty_.CloseMaster();
  const QueueStatus status = WaitQueued(*port, INT32_MAX);
  ASSERT_TRUE(status.Error.has_value());
  EXPECT_EQ(status.Error->Code, kErrSerialGone);
  EXPECT_EQ(status.Count, 0);
  // Stays gone; reading neither blocks nor invents bytes.
  EXPECT_EQ(port->Queued().Error.value_or(LinkError{}).Code, kErrSerialGone);
  EXPECT_TRUE(port->Read(10).Bytes.empty());
  EXPECT_EQ(port->Write(std::vector<std::uint8_t>{1}), -1);
  port->Close();
}

TEST_F(SerialPtyTest, CloseTwiceIsSafe) {
  auto port = OpenSlave();
  ASSERT_NE(port, nullptr);
  EXPECT_TRUE(port->Close());
  EXPECT_TRUE(port->Close());
  const ReadResult read = port->Read(1);
  EXPECT_TRUE(read.Bytes.empty());
  EXPECT_TRUE(read.Error.has_value());
  EXPECT_TRUE(port->Queued().Error.has_value());
}

TEST_F(SerialPtyTest, MappedNameOpensTheMappedDevice) {
  LibSerialPortDriver driver(PortMappings{{"com1", pty_.SlavePath()}});
  SerialOpenResult result = driver.Open("COM1");
  ASSERT_NE(result.Port, nullptr);
  pty_.Send("x");
  EXPECT_EQ(WaitQueued(*result.Port, 1).Count, 1);
}

TEST(SerialOpen, MissingDeviceIsNoSuchDevice) {
  LibSerialPortDriver driver(PortMappings{{"Com2", "/dev/ptpdiag-no-such-tty"}});
  const SerialOpenResult result = driver.Open("Com2");
  EXPECT_EQ(result.Port, nullptr);
  ASSERT_TRUE(result.Error.has_value());
  EXPECT_EQ(result.Error->Failure, SerialOpenFailure::NoSuchDevice);
  EXPECT_EQ(result.Error->Device, "/dev/ptpdiag-no-such-tty");
}

TEST(SerialOpen, UnknownPortNameReachesNoDevice) {
  LibSerialPortDriver driver;
  for (const char* name : {"LPT1", "Com0", "Com9999"}) {
    const SerialOpenResult result = driver.Open(name);
    EXPECT_EQ(result.Port, nullptr) << name;
    ASSERT_TRUE(result.Error.has_value()) << name;
    EXPECT_EQ(result.Error->Failure, SerialOpenFailure::NoSuchDevice) << name;
    EXPECT_TRUE(result.Error->Device.empty()) << name;
  }
}

TEST(SerialOpen, NonTerminalIsRefused) {
  LibSerialPortDriver driver;
  const SerialOpenResult result = driver.OpenDevice("/dev/null");
  EXPECT_EQ(result.Port, nullptr);
  ASSERT_TRUE(result.Error.has_value());
  EXPECT_EQ(result.Error->Failure, SerialOpenFailure::NotASerialPort);
}

TEST(SerialOpen, PermissionDeniedWithoutAccess) {
  if (geteuid() == 0) GTEST_SKIP() << "root opens any device";
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  ASSERT_EQ(chmod(pty.SlavePath().c_str(), 0), 0);
  LibSerialPortDriver driver;
  const SerialOpenResult result = driver.OpenDevice(pty.SlavePath());
  ASSERT_TRUE(result.Error.has_value());
  EXPECT_EQ(result.Error->Failure, SerialOpenFailure::PermissionDenied);
}

}  // namespace
}  // namespace ptpdiag
