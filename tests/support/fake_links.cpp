#include "support/fake_links.h"

#include <algorithm>

#include <chrono>

namespace ptpdiag::test {

QueueStatus FakeSource::Queued() {
  if (QueueError) return {0, QueueError};
  return {static_cast<std::int32_t>(Queue.size()), std::nullopt};
}

ReadResult FakeSource::Read(std::int32_t count) {
  ++Reads;
  ReadResult result;
  if (Reads == FailOnRead) {
    result.Error = LinkError{5, 0};
    return result;
  }
  if (!FailNextReads.empty()) {
    result.Error = FailNextReads.front();
    FailNextReads.erase(FailNextReads.begin());
    return result;
  }
  const auto n = std::min<std::size_t>(static_cast<std::size_t>(count), Queue.size());
  result.Bytes = Queue.substr(0, n);
  Queue.erase(0, n);
  return result;
}

std::int32_t FakeSource::Write(std::span<const std::uint8_t> bytes) {
  std::lock_guard lock(writtenMutex_);
  written_.append(bytes.begin(), bytes.end());
  return static_cast<std::int32_t>(bytes.size());
}

std::string FakeSource::Written() const {
  std::lock_guard lock(writtenMutex_);
  return written_;
}

bool FakeSource::Close() {
  ++Closes;
  return !CloseFails;
}

namespace {

// The link owns its port; the test keeps the fake, so hand out a view.
class PortView final : public SerialPort {
 public:
  explicit PortView(FakeSource& port) : port_(port) {}
  QueueStatus Queued() override { return port_.Queued(); }
  ReadResult Read(std::int32_t count) override { return port_.Read(count); }
  std::int32_t Write(std::span<const std::uint8_t> bytes) override { return port_.Write(bytes); }
  bool Close() override { return port_.Close(); }

 private:
  FakeSource& port_;
};

}  // namespace

SerialOpenResult FakeSerialDriver::Open(const std::string& portName) {
  Opened.push_back(portName);
  if (FailWith) return {nullptr, FailWith};
  return {std::make_unique<PortView>(port_), std::nullopt};
}

void FakeTcpConnection::Push(const std::vector<std::uint8_t>& bytes) {
  {
    std::lock_guard lock(mutex_);
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  }
  changed_.notify_all();
}

void FakeTcpConnection::EndStream() {
  {
    std::lock_guard lock(mutex_);
    ended_ = true;
  }
  changed_.notify_all();
}

TcpReceive FakeTcpConnection::ReceiveByte(int timeoutMs) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                    [this] { return !bytes_.empty() || ended_ || woken_; });
  woken_ = false;
  if (!bytes_.empty()) {
    const std::uint8_t byte = bytes_.front();
    bytes_.pop_front();
    return {TcpReceive::Status::Byte, byte, {}};
  }
  if (ended_) return {TcpReceive::Status::Closed, 0, {}};
  return {};
}

void FakeTcpConnection::Wake() {
  {
    std::lock_guard lock(mutex_);
    woken_ = true;
  }
  changed_.notify_all();
}

std::optional<LinkError> FakeTcpConnection::Close() {
  ++closes_;  // on the window thread, after the link thread has ended
  return CloseError;
}

std::size_t FakeTcpConnection::Pending() const {
  std::lock_guard lock(mutex_);
  return bytes_.size();
}

Datagram FakeUdpSocket::Receive() {
  if (Waiting.empty()) return {};
  Datagram next = std::move(Waiting.front());
  Waiting.pop_front();
  return next;
}

TcpConnectResult FakeNetwork::ConnectTcp(const std::string& host, std::uint16_t port, int,
                                         const std::function<bool()>&) {
  Connects.push_back(host + ":" + std::to_string(port));
  if (ConnectError) return {nullptr, ConnectError};
  auto connection = std::make_unique<FakeTcpConnection>(TcpCloses);
  LastConnection = connection.get();
  return {std::move(connection), std::nullopt};
}

UdpBindResult FakeNetwork::BindUdp(std::uint16_t port) {
  Binds.push_back(port);
  if (BindError) return {nullptr, BindError};
  auto socket = std::make_unique<FakeUdpSocket>(UdpCloses, port);
  LastSocket = socket.get();
  return {std::move(socket), std::nullopt};
}

namespace {

class FakeSender final : public UdpSender {
 public:
  explicit FakeSender(FakeUdpTraffic& traffic) : traffic_(traffic) {}
  bool Send(std::span<const std::uint8_t> datagram) override {
    if (traffic_.Refusing) return false;
    traffic_.Sent.emplace_back(datagram.begin(), datagram.end());
    return true;
  }

 private:
  FakeUdpTraffic& traffic_;
};

class FakeStream final : public TcpStream {
 public:
  explicit FakeStream(FakeTcpClient& client) : client_(client) {}
  std::int64_t WriteNoWait(std::span<const std::uint8_t> bytes) override {
    if (client_.Gone) return -1;
    const auto n = std::min<std::int64_t>(client_.Room, static_cast<std::int64_t>(bytes.size()));
    client_.Received.insert(client_.Received.end(), bytes.begin(), bytes.begin() + n);
    return n;
  }
  bool PeerGone() override { return client_.Gone; }
  std::int64_t ReadNoWait(std::span<std::uint8_t> into) override {
    if (client_.Sending.empty()) return client_.Gone ? -1 : 0;
    const std::size_t n = std::min(into.size(), client_.Sending.size());
    std::copy_n(client_.Sending.begin(), n, into.begin());
    client_.Sending.erase(0, n);
    return static_cast<std::int64_t>(n);
  }
  SocketHandle Handle() const override { return -1; }
  void LimitSending(int, int) override {}

 private:
  FakeTcpClient& client_;
};

class FakeListener final : public TcpListener {
 public:
  explicit FakeListener(std::deque<FakeTcpClient*>& clients) : clients_(clients) {}
  std::unique_ptr<TcpStream> Accept() override {
    if (clients_.empty()) return nullptr;
    FakeTcpClient* next = clients_.front();
    clients_.pop_front();
    return std::make_unique<FakeStream>(*next);
  }
  std::uint16_t LocalPort() const override { return 4000; }
  SocketHandle Handle() const override { return -1; }

 private:
  std::deque<FakeTcpClient*>& clients_;
};

}  // namespace

UdpSenderResult FakeNetwork::OpenUdpSender(const std::string&, std::uint16_t) {
  return {std::make_unique<FakeSender>(Udp), ""};
}

int FakeNetwork::WaitForSockets(std::span<SocketWatch> watched, int) {
  for (SocketWatch& w : watched) w.Ready = true;
  return static_cast<int>(watched.size());
}

TcpListenResult FakeNetwork::ListenTcp(const std::string&, std::uint16_t) {
  if (!ListenError.empty()) return {nullptr, ListenError};
  return {std::make_unique<FakeListener>(Clients), ""};
}

}  // namespace ptpdiag::test
