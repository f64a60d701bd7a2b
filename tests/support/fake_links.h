// Fakes of the serial driver and the sockets, scripted by tests.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/network.h"
#include "platform/serial_port.h"

namespace ptpdiag::test {

// A serial port fake: bytes queue up and are read one request at a time.
class FakeSource final : public SerialPort {
 public:
  std::string Queue;
  std::vector<LinkError> FailNextReads;  // consumed one per read
  int FailOnRead = 0;                    // this read (counted from 1) fails
  int Reads = 0;
  std::optional<LinkError> QueueError;  // every queue query fails with it
  bool CloseFails = false;
  int Closes = 0;

  QueueStatus Queued() override;
  ReadResult Read(std::int32_t count) override;
  std::int32_t Write(std::span<const std::uint8_t> bytes) override;
  bool Close() override;
  void Push(const std::vector<std::uint8_t>& bytes) { Queue.append(bytes.begin(), bytes.end()); }
  std::string Written() const;

 private:
  mutable std::mutex writtenMutex_;
  std::string written_;
};

// Opens the one fake port under any name, unless told to fail.
class FakeSerialDriver final : public SerialDriver {
 public:
  explicit FakeSerialDriver(FakeSource& port) : port_(port) {}
  std::optional<SerialOpenError> FailWith;
  std::vector<std::string> Opened;          // names asked for, in order
  std::vector<SerialPortListing> Listings;  // what ListPorts gives
  SerialOpenResult Open(const std::string& portName) override;
  std::vector<SerialPortListing> ListPorts(bool /*tryOpen*/) override { return Listings; }

 private:
  FakeSource& port_;
};

// A TCP connection whose bytes the test pushes from its own thread.
class FakeTcpConnection final : public TcpConnection {
 public:
  // Counts closes in `closes`, which outlives the connection (the link
  // deletes its connection when it closes it).
  explicit FakeTcpConnection(int& closes) : closes_(closes) {}
  void Push(const std::vector<std::uint8_t>& bytes);
  void EndStream();  // the peer closes
  std::optional<LinkError> CloseError;

  TcpReceive ReceiveByte(int timeoutMs) override;
  void Wake() override;
  std::optional<LinkError> Close() override;
  std::size_t Pending() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::uint8_t> bytes_;
  bool ended_ = false;
  bool woken_ = false;
  int& closes_;
};

class FakeUdpSocket final : public UdpSocket {
 public:
  static constexpr SocketHandle kHandle = 77;
  FakeUdpSocket(int& closes, std::uint16_t port) : closes_(closes), port_(port) {}
  std::deque<Datagram> Waiting;
  SocketHandle Handle() const override { return kHandle; }
  Datagram Receive() override;
  std::uint16_t LocalPort() const override { return port_; }
  void Close() override { ++closes_; }

 private:
  int& closes_;
  std::uint16_t port_;
};

// Records what is sent; refuses while `Refusing` is set.
struct FakeUdpTraffic {
  std::vector<std::vector<std::uint8_t>> Sent;
  bool Refusing = false;
};

// A client connection of a FakeTcpListener: takes up to `Room` bytes per
// write, or fails once the test says the peer has gone; what it sends
// waits in `Sending`.
struct FakeTcpClient {
  std::vector<std::uint8_t> Received;
  std::int64_t Room = 1 << 20;
  bool Gone = false;
  std::string Sending;
};

// Hands out the test's connection and socket (not owned by the test once
// handed out: the link owns them), or scripted failures.
class FakeNetwork final : public Network {
 public:
  std::optional<LinkError> ConnectError;
  std::optional<LinkError> BindError;
  std::vector<std::string> Connects;  // "host:port" asked for
  std::vector<std::uint16_t> Binds;
  // Valid while the link holds them.
  FakeTcpConnection* LastConnection = nullptr;
  FakeUdpSocket* LastSocket = nullptr;
  int TcpCloses = 0;
  int UdpCloses = 0;

  // The sending side: every sender records into `Udp`; the listener hands
  // out `Clients` (each the test's, which must outlive the streams), one per
  // Accept, in order.
  FakeUdpTraffic Udp;
  std::deque<FakeTcpClient*> Clients;
  std::string ListenError;

  TcpConnectResult ConnectTcp(const std::string& host, std::uint16_t port, int timeoutMs,
                              const std::function<bool()>& cancelled = {}) override;
  UdpBindResult BindUdp(std::uint16_t port) override;
  std::string ErrorText(std::int32_t code) const override {
    return "error " + std::to_string(code);
  }
  UdpSenderResult OpenUdpSender(const std::string& host, std::uint16_t port) override;
  TcpListenResult ListenTcp(const std::string& host, std::uint16_t port) override;
  // Nothing here ever waits: every socket is ready.
  int WaitForSockets(std::span<SocketWatch> watched, int timeoutMs) override;
};

}  // namespace ptpdiag::test
