#include "platform/os/libserialport_driver.h"

#include <fcntl.h>
#include <libserialport.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "platform/os/port_holders.h"
#include "platform/port_listing.h"
#include "platform/queued_serial_port.h"

namespace ptpdiag {
namespace {

constexpr int kBaudRate = 115200;
constexpr int kWriteTimeoutMs = 100;

std::string ErrnoText(int error) {
  return std::system_category().message(error);
}

SerialOpenFailure FailureFor(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return SerialOpenFailure::NoSuchDevice;
    case EBUSY:
    case EWOULDBLOCK:
      return SerialOpenFailure::InUse;
    case EACCES:
    case EPERM:
      return SerialOpenFailure::PermissionDenied;
    case ENOTTY:
    case EISDIR:
      return SerialOpenFailure::NotASerialPort;
    default:
      return SerialOpenFailure::Other;
  }
}

// `realPath` (links resolved) names the holders of a port in use.
SerialOpenResult OpenFailure(int error, const std::string& device,
                             const std::string& realPath = "") {
  SerialOpenResult result;
  result.Error = SerialOpenError{FailureFor(error), device, ErrnoText(error)};
  if (result.Error->Failure == SerialOpenFailure::InUse) {
    result.Error->Holder = PortHoldersText(realPath.empty() ? device : realPath);
  }
  return result;
}

PortAccess AccessFor(SerialOpenFailure failure) {
  switch (failure) {
    case SerialOpenFailure::NoSuchDevice:
      return PortAccess::NoDevice;
    case SerialOpenFailure::InUse:
      return PortAccess::InUse;
    case SerialOpenFailure::PermissionDenied:
      return PortAccess::PermissionDenied;
    case SerialOpenFailure::NotASerialPort:
      return PortAccess::NotASerialPort;
    case SerialOpenFailure::Other:
      break;
  }
  return PortAccess::Other;
}

// The settings on a terminal libserialport cannot open: raw bytes, 8N1,
// no flow control, DTR on. Each step may fail alone (pseudo-terminals reject
// modem lines); none is fatal.
void ConfigurePosixTerminal(int fd) {
  termios settings{};
  if (tcgetattr(fd, &settings) == 0) {
    cfmakeraw(&settings);
    cfsetispeed(&settings, B115200);
    cfsetospeed(&settings, B115200);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &settings);
  }
  int dtr = TIOCM_DTR;
  ioctl(fd, TIOCMBIS, &dtr);
}

void ConfigureLibSerialPort(sp_port* port) {
  sp_set_baudrate(port, kBaudRate);
  sp_set_bits(port, 8);
  sp_set_parity(port, SP_PARITY_NONE);
  sp_set_stopbits(port, 1);
  sp_set_flowcontrol(port, SP_FLOWCONTROL_NONE);
  sp_set_dtr(port, SP_DTR_ON);
}

// One open port. `port_` is null for a device opened with plain POSIX calls;
// then the same operations run on `fd_` directly.
class OsSerialPort final : public QueuedSerialPort {
 public:
  OsSerialPort(sp_port* port, int fd, std::string identity)
      : port_(port), fd_(fd), identity_(std::move(identity)) {}
  ~OsSerialPort() override { Close(); }
  OsSerialPort(const OsSerialPort&) = delete;
  OsSerialPort& operator=(const OsSerialPort&) = delete;

  std::int32_t Write(std::span<const std::uint8_t> bytes) override {
    if (bytes.empty()) return 0;
    if (port_ != nullptr) {
      const int written = sp_blocking_write(port_, bytes.data(), bytes.size(), kWriteTimeoutMs);
      return written < 0 ? -1 : written;
    }
    return WritePosix(bytes);
  }

  std::string Identity() const override { return identity_; }

  bool Close() override {
    if (fd_ < 0) return true;
    ForgetQueue(LinkError{kErrSerialRead, EBADF});
    bool ok = flock(fd_, LOCK_UN) == 0;
    if (port_ != nullptr) {
      ok = sp_close(port_) == SP_OK && ok;
      sp_free_port(port_);
      port_ = nullptr;
    } else {
      ok = close(fd_) == 0 && ok;
    }
    fd_ = -1;
    return ok;
  }

 protected:
  QueueStatus DeviceQueued() override {
    QueueStatus status;
    pollfd entry{fd_, POLLIN, 0};
    if (poll(&entry, 1, 0) < 0) {
      status.Error = LinkError{kErrSerialRead, errno};
      return status;
    }
    // A hung-up terminal (adapter unplugged, pty master closed) reports
    // POLLHUP together with POLLIN; its queue query would fail with EIO.
    if ((entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      status.Error = LinkError{kErrSerialGone, 0};
      return status;
    }
    int waiting = 0;
    if (port_ != nullptr) {
      waiting = sp_input_waiting(port_);
      if (waiting < 0) {
        status.Error = LinkError{kErrSerialRead, sp_last_error_code()};
        return status;
      }
    } else if (ioctl(fd_, FIONREAD, &waiting) < 0) {
      status.Error = LinkError{kErrSerialRead, errno};
      return status;
    }
    status.Count = waiting;
    return status;
  }

  ReadResult DeviceRead(std::int32_t count) override {
    ReadResult result;
    if (count <= 0) return result;
    result.Bytes.resize(static_cast<std::size_t>(count));
    int got = 0;
    if (port_ != nullptr) {
      got = sp_nonblocking_read(port_, result.Bytes.data(), result.Bytes.size());
      if (got < 0) result.Error = LinkError{kErrSerialRead, sp_last_error_code()};
    } else {
      const ssize_t n = read(fd_, result.Bytes.data(), result.Bytes.size());
      if (n >= 0) {
        got = static_cast<int>(n);
      } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        result.Error = LinkError{kErrSerialRead, errno};
      }
    }
    result.Bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return result;
  }

 private:
  std::int32_t WritePosix(std::span<const std::uint8_t> bytes) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return -1;
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) break;
      pollfd entry{fd_, POLLOUT, 0};
      if (poll(&entry, 1, static_cast<int>(left)) < 0 && errno != EINTR) return -1;
    }
    return static_cast<std::int32_t>(done);
  }

  sp_port* port_;
  int fd_;
  std::string identity_;
};

// Takes the exclusive lock; TIOCEXCL would not stop a second open as root.
std::optional<int> LockExclusive(int fd) {
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return std::nullopt;
  return errno;
}

// The name that finds this adapter again when it is plugged back in under
// another ttyUSB number: its /dev/serial/by-id link, where it has one;
// else the name the port was opened by (a link of the user's follows its
// device too).
std::string FollowableName(const std::string& device, const std::string& realPath) {
  if (device.rfind("/dev/serial/by-id/", 0) == 0) return device;
  const std::string link = StableLinkOf(realPath);
  return link.empty() ? device : link;
}

// Whether `device` opens now, as the driver would open it, and who holds
// it when it is in use; the port is let go again at once.
SerialPortListing TryOpen(SerialPortListing listing) {
  const std::string& device = listing.Info.Device;
  char* real = realpath(device.c_str(), nullptr);
  if (real == nullptr) {
    listing.Access = AccessFor(FailureFor(errno));
    return listing;
  }
  const std::string path = real;
  std::free(real);
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    listing.Access = AccessFor(FailureFor(errno));
  } else if (isatty(fd) == 0) {
    listing.Access = PortAccess::NotASerialPort;
  } else if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    listing.Access = AccessFor(FailureFor(errno));
  } else {
    flock(fd, LOCK_UN);
    listing.Access = PortAccess::Yes;
  }
  if (fd >= 0) close(fd);
  if (listing.Access == PortAccess::InUse) listing.Holder = PortHoldersText(path);
  return listing;
}

SerialOpenResult OpenWithPosix(const std::string& device, const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return OpenFailure(errno, device);
  if (isatty(fd) == 0) {
    const int error = errno;
    close(fd);
    return OpenFailure(error, device);
  }
  if (const auto error = LockExclusive(fd)) {
    close(fd);
    return OpenFailure(*error, device, path);
  }
  ConfigurePosixTerminal(fd);
  return SerialOpenResult{std::make_unique<OsSerialPort>(nullptr, fd, FollowableName(device, path)),
                          std::nullopt};
}

}  // namespace

LibSerialPortDriver::LibSerialPortDriver(PortMappings mappings) : mappings_(std::move(mappings)) {}

SerialOpenResult LibSerialPortDriver::Open(const std::string& portName) {
  // Listing probes hardware; skip it when a mapping decides.
  const bool mapped = mappings_.find(portName) != mappings_.end();
  const std::optional<std::string> device =
      ResolvePortName(portName, mappings_,
                      mapped || kWindowsPortNames ? std::vector<PortInfo>{} : ListSerialPorts());
  if (!device) {
    SerialOpenResult result;
    result.Error =
        SerialOpenError{SerialOpenFailure::NoSuchDevice, "", "no serial port is named " + portName};
    result.Error->PortsHere = PortsHereText(ListPorts(false));
    return result;
  }
  SerialOpenResult result = OpenDevice(*device);
  if (result.Error && result.Error->Failure == SerialOpenFailure::NoSuchDevice) {
    result.Error->PortsHere = PortsHereText(ListPorts(false));
  }
  return result;
}

std::vector<SerialPortListing> LibSerialPortDriver::ListPorts(bool tryOpen) {
  std::vector<SerialPortListing> listings = NamePorts(ListSerialPorts(), mappings_, false);
  if (!tryOpen) return listings;
  for (SerialPortListing& listing : listings) {
    if (!listing.Info.Device.empty()) listing = TryOpen(std::move(listing));
  }
  return listings;
}

SerialOpenResult LibSerialPortDriver::OpenDevice(const std::string& devicePath) {
  // libserialport looks the name up under /sys/class/tty, so it needs the
  // real node, not a /dev/serial/by-id link.
  std::string path = devicePath;
  if (char* real = realpath(devicePath.c_str(), nullptr); real != nullptr) {
    path = real;
    std::free(real);
  } else {
    return OpenFailure(errno, devicePath);
  }

  sp_port* port = nullptr;
  const sp_return found = sp_get_port_by_name(path.c_str(), &port);
  if (found == SP_ERR_ARG) {
    // Not a device libserialport recognises (pseudo-terminals have no
    // /sys/class/tty entry of their name).
    return OpenWithPosix(devicePath, path);
  }
  if (found != SP_OK) {
    const int error = found == SP_ERR_FAIL ? sp_last_error_code() : ENOMEM;
    return OpenFailure(error, devicePath);
  }
  if (const sp_return opened = sp_open(port, SP_MODE_READ_WRITE); opened != SP_OK) {
    const int error = opened == SP_ERR_FAIL ? sp_last_error_code() : EINVAL;
    sp_free_port(port);
    return OpenFailure(error, devicePath, path);
  }
  int fd = -1;
  sp_get_port_handle(port, &fd);
  if (fd >= 0) fcntl(fd, F_SETFD, FD_CLOEXEC);
  if (const auto error = LockExclusive(fd)) {
    sp_close(port);
    sp_free_port(port);
    return OpenFailure(*error, devicePath, path);
  }
  ConfigureLibSerialPort(port);
  return SerialOpenResult{
      std::make_unique<OsSerialPort>(port, fd, FollowableName(devicePath, path)), std::nullopt};
}

}  // namespace ptpdiag
