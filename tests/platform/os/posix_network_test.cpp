#include "platform/os/posix_network.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace ptpdiag {
namespace {

// A plain socket on 127.0.0.1 with a port the system chose.
class LoopbackSocket {
 public:
  explicit LoopbackSocket(int type) : fd_(socket(AF_INET, type | SOCK_CLOEXEC, 0)) {
    sockaddr_in address = Address(0);
    if (fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      socklen_t length = sizeof address;
      getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
      port_ = ntohs(address.sin_port);
    }
  }
  ~LoopbackSocket() {
    if (fd_ >= 0) close(fd_);
  }
  LoopbackSocket(const LoopbackSocket&) = delete;
  LoopbackSocket& operator=(const LoopbackSocket&) = delete;

  static sockaddr_in Address(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
  }
  int Fd() const { return fd_; }
  std::uint16_t Port() const { return port_; }

 private:
  int fd_;
  std::uint16_t port_ = 0;
};

// The accepted end of one connection.
class Peer {
 public:
  explicit Peer(int listener) {
    pollfd entry{listener, POLLIN, 0};
    if (poll(&entry, 1, 5000) == 1) fd_ = accept(listener, nullptr, nullptr);
  }
  ~Peer() { Close(); }
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;
  bool Ok() const { return fd_ >= 0; }
  void Send(const std::string& bytes) const {
    ASSERT_EQ(send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
  }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

class TcpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(listener_.Port(), 0);
    ASSERT_EQ(listen(listener_.Fd(), 4), 0);
    TcpConnectResult result = network_.ConnectTcp("127.0.0.1", listener_.Port(), 5000);
    ASSERT_FALSE(result.Error.has_value()) << result.Error->Code << " " << result.Error->Extended;
    connection_ = std::move(result.Connection);
    ASSERT_NE(connection_, nullptr);
    peer_ = std::make_unique<Peer>(listener_.Fd());
    ASSERT_TRUE(peer_->Ok());
  }

  LoopbackSocket listener_{SOCK_STREAM};
  PosixNetwork network_;
  std::unique_ptr<TcpConnection> connection_;
  std::unique_ptr<Peer> peer_;
};

TEST_F(TcpTest, BytesArriveOneAtATimeInOrder) {
  std::string sent(70000, '\0');  // more than one 64 KiB refill
  for (std::size_t i = 0; i < sent.size(); ++i)
    sent[i] = static_cast<char>(i * 7 + i / 256);
  peer_->Send(sent);
  std::string got;
  while (got.size() < sent.size()) {
    const TcpReceive r = connection_->ReceiveByte(5000);
    ASSERT_EQ(r.Result, TcpReceive::Status::Byte) << "after " << got.size() << " bytes";
    got.push_back(static_cast<char>(r.Value));
  }
  EXPECT_EQ(got, sent);
  EXPECT_EQ(connection_->ReceiveByte(0).Result, TcpReceive::Status::Nothing);
}

TEST_F(TcpTest, PeerCloseIsClosedForEver) {
  peer_->Send("ab");
  peer_->Close();
  EXPECT_EQ(connection_->ReceiveByte(5000).Value, 'a');
  EXPECT_EQ(connection_->ReceiveByte(5000).Value, 'b');
  EXPECT_EQ(connection_->ReceiveByte(5000).Result, TcpReceive::Status::Closed);
  EXPECT_EQ(connection_->ReceiveByte(5000).Result, TcpReceive::Status::Closed);
  EXPECT_FALSE(connection_->Close().has_value());
}

TEST_F(TcpTest, NothingWhenNothingArrives) {
  const TcpReceive r = connection_->ReceiveByte(10);
  EXPECT_EQ(r.Result, TcpReceive::Status::Nothing);
}

TEST_F(TcpTest, WakeInterruptsAWait) {
  std::atomic<bool> waiting{false};
  std::thread waker([&] {
    while (!waiting.load())
      std::this_thread::yield();
    // Whether the wait has begun or not, the wake-up is kept until it does.
    connection_->Wake();
  });
  const auto start = std::chrono::steady_clock::now();
  waiting = true;
  const TcpReceive r = connection_->ReceiveByte(5000);
  const auto waited = std::chrono::steady_clock::now() - start;
  waker.join();
  EXPECT_EQ(r.Result, TcpReceive::Status::Nothing);
  EXPECT_LT(waited, std::chrono::seconds(2));
  // The wake-up is used up: data still arrives afterwards.
  peer_->Send("z");
  EXPECT_EQ(connection_->ReceiveByte(5000).Value, 'z');
}

TEST_F(TcpTest, CloseTwiceIsSafe) {
  EXPECT_FALSE(connection_->Close().has_value());
  EXPECT_FALSE(connection_->Close().has_value());
  connection_->Wake();  // harmless after Close
  EXPECT_EQ(connection_->ReceiveByte(0).Result, TcpReceive::Status::Failed);
}

TEST(TcpConnect, RefusedIsConnectError) {
  // Bound but not listening: the port is ours and refuses connections.
  LoopbackSocket closed(SOCK_STREAM);
  ASSERT_NE(closed.Port(), 0);
  PosixNetwork network;
  const TcpConnectResult result = network.ConnectTcp("127.0.0.1", closed.Port(), 5000);
  EXPECT_EQ(result.Connection, nullptr);
  ASSERT_TRUE(result.Error.has_value());
  EXPECT_EQ(result.Error->Code, kErrTcpConnect);
  EXPECT_EQ(result.Error->Extended, ECONNREFUSED);
}

TEST(TcpConnect, UnresolvableHostIsResolveError) {
  PosixNetwork network;
  const TcpConnectResult result = network.ConnectTcp("no-such-host.invalid", 4131, 5000);
  EXPECT_EQ(result.Connection, nullptr);
  ASSERT_TRUE(result.Error.has_value());
  EXPECT_EQ(result.Error->Code, kErrTcpResolve);
  EXPECT_GT(result.Error->Extended, 0);
}

#ifdef __linux__
// Linux drops SYNs to a listener whose accept queue is full, so a connect to
// it stays pending: a timeout without leaving the machine.
TEST(TcpConnect, FullListenerTimesOut) {
  LoopbackSocket listener(SOCK_STREAM);
  ASSERT_NE(listener.Port(), 0);
  ASSERT_EQ(listen(listener.Fd(), 0), 0);
  std::vector<int> fillers;
  bool pending = false;
  for (int i = 0; i < 8 && !pending; ++i) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const sockaddr_in address = LoopbackSocket::Address(listener.Port());
    connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    fillers.push_back(fd);
    pollfd entry{fd, POLLOUT, 0};
    pending = poll(&entry, 1, 200) == 0;
  }
  if (!pending) {
    for (const int fd : fillers)
      close(fd);
    GTEST_SKIP() << "this kernel accepts beyond the backlog";
  }
  PosixNetwork network;
  const auto start = std::chrono::steady_clock::now();
  const TcpConnectResult result = network.ConnectTcp("127.0.0.1", listener.Port(), 300);
  const auto waited = std::chrono::steady_clock::now() - start;
  for (const int fd : fillers)
    close(fd);
  EXPECT_EQ(result.Connection, nullptr);
  ASSERT_TRUE(result.Error.has_value());
  EXPECT_EQ(result.Error->Code, kErrTcpTimeout);
  EXPECT_EQ(result.Error->Extended, 1);  // 0.3 s rounds up to 1
  EXPECT_GE(waited, std::chrono::milliseconds(250));
}
#endif

void SendDatagram(std::uint16_t port, const std::string& bytes) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(fd, 0);
  const sockaddr_in address = LoopbackSocket::Address(port);
  const ssize_t n = sendto(fd, bytes.data(), bytes.size(), 0,
                           reinterpret_cast<const sockaddr*>(&address), sizeof address);
  close(fd);
  ASSERT_EQ(n, static_cast<ssize_t>(bytes.size()));
}

// Waits until the socket has a datagram; false after five seconds.
bool AwaitDatagram(const UdpSocket& socket) {
  pollfd entry{static_cast<int>(socket.Handle()), POLLIN, 0};
  return poll(&entry, 1, 5000) == 1;
}

class UdpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UdpBindResult result = network_.BindUdp(0);
    ASSERT_FALSE(result.Error.has_value());
    socket_ = std::move(result.Socket);
    posix_ = dynamic_cast<SystemUdpSocket*>(socket_.get());
    ASSERT_NE(posix_, nullptr);
    ASSERT_NE(posix_->LocalPort(), 0);
  }

  PosixNetwork network_;
  std::unique_ptr<UdpSocket> socket_;
  SystemUdpSocket* posix_ = nullptr;
};

TEST_F(UdpTest, NothingWaitingIsNotReceived) {
  const Datagram d = socket_->Receive();
  EXPECT_FALSE(d.Received);
  EXPECT_FALSE(d.Error.has_value());
  EXPECT_TRUE(d.Bytes.empty());
}

TEST_F(UdpTest, DatagramsArriveInOrderWithTheirBytes) {
  const std::vector<std::string> sent = {std::string("\xF0\x4C\x00\x46", 4), "second",
                                         std::string(9000, '\xA5'), ""};
  for (const std::string& bytes : sent)
    SendDatagram(posix_->LocalPort(), bytes);
  for (const std::string& bytes : sent) {
    ASSERT_TRUE(AwaitDatagram(*socket_));
    const Datagram d = socket_->Receive();
    ASSERT_TRUE(d.Received);
    EXPECT_FALSE(d.Error.has_value());
    EXPECT_EQ(std::string(d.Bytes.begin(), d.Bytes.end()), bytes);
  }
  EXPECT_FALSE(socket_->Receive().Received);
}

TEST_F(UdpTest, SecondBindOfThePortFails) {
  const UdpBindResult second = network_.BindUdp(posix_->LocalPort());
  EXPECT_EQ(second.Socket, nullptr);
  ASSERT_TRUE(second.Error.has_value());
  EXPECT_EQ(second.Error->Code, kErrUdpBind);
  EXPECT_EQ(second.Error->Extended, EADDRINUSE);
}

TEST_F(UdpTest, ReceiveBufferHoldsAtLeast64KiB) {
  EXPECT_GE(posix_->ReceiveBufferBytes(), 64 * 1024);
}

TEST_F(UdpTest, CloseIsIdempotentAndFreesThePort) {
  const std::uint16_t port = posix_->LocalPort();
  socket_->Close();
  socket_->Close();
  EXPECT_TRUE(socket_->Receive().Error.has_value());
  const UdpBindResult again = network_.BindUdp(port);
  EXPECT_FALSE(again.Error.has_value());
}

}  // namespace
}  // namespace ptpdiag
