#include "metrics/metrics_server.h"

#include <array>
#include <span>
#include <vector>

#include "metrics/exposition.h"
#include "metrics/http_request.h"

namespace ptpdiag {
namespace {

using Clock = std::chrono::steady_clock;
// How long the thread rests when nothing is happening.
constexpr std::chrono::milliseconds kIdleWait{5};

}  // namespace

struct MetricsServer::Connection {
  std::unique_ptr<TcpStream> Stream;
  Clock::time_point Since;
  std::string Received;
  std::string Reply;  // once answered: what is still to go out
  std::size_t Sent = 0;
  bool Answering = false;
};

std::unique_ptr<MetricsServer> MetricsServer::Start(Network& network, const std::string& host,
                                                    std::uint16_t port, std::string& error,
                                                    MetricsLimits limits) {
  TcpListenResult listening = network.ListenTcp(host, port);
  if (!listening.Listener) {
    error = listening.Error;
    return nullptr;
  }
  return std::unique_ptr<MetricsServer>(new MetricsServer(std::move(listening.Listener), limits));
}

MetricsServer::MetricsServer(std::unique_ptr<TcpListener> listener, MetricsLimits limits)
    : listener_(std::move(listener)), limits_(limits), port_(listener_->LocalPort()) {
  thread_ = std::thread([this] { Serve(); });
}

MetricsServer::~MetricsServer() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void MetricsServer::Publish(MetricsSnapshot snapshot) {
  auto shared = std::make_shared<const MetricsSnapshot>(std::move(snapshot));
  const std::lock_guard<std::mutex> lock(mutex_);
  latest_ = std::move(shared);
}

std::string MetricsServer::Body() {
  std::shared_ptr<const MetricsSnapshot> snapshot;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    snapshot = latest_;
  }
  return snapshot ? FormatMetrics(*snapshot) : FormatMetrics(MetricsSnapshot{});
}

// Takes connections in while fewer than the limit are open; the others
// wait in the listener's backlog for a turn.
bool MetricsServer::AcceptNew(std::vector<Connection>& open) {
  bool any = false;
  while (open.size() < limits_.MaxConnections) {
    std::unique_ptr<TcpStream> stream = listener_->Accept();
    if (!stream) break;
    any = true;
    Connection c;
    c.Stream = std::move(stream);
    c.Since = Clock::now();
    open.push_back(std::move(c));
  }
  return any;
}

bool MetricsServer::Step(Connection& c, bool& busy) {
  if (Clock::now() - c.Since > limits_.MaxRequestTime) {
    ++dropped_;
    return false;
  }
  if (!c.Answering) {
    std::array<std::uint8_t, 2048> chunk{};
    const std::int64_t n = c.Stream->ReadNoWait(chunk);
    if (n < 0) return false;  // gone before asking anything
    if (n == 0) return true;
    busy = true;
    c.Received.append(reinterpret_cast<const char*>(chunk.data()), static_cast<std::size_t>(n));
    HttpRequest request;
    const RequestState state = ReadRequest(c.Received, request);
    if (state == RequestState::Incomplete) {
      if (c.Received.size() <= limits_.MaxRequestBytes) return true;
      ++dropped_;
      return false;
    }
    c.Reply = RespondTo(request, state, [this] { return Body(); });
    c.Answering = true;
  }
  const auto rest = std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(c.Reply.data()) + c.Sent, c.Reply.size() - c.Sent);
  const std::int64_t written = c.Stream->WriteNoWait(rest);
  if (written < 0) return false;
  if (written > 0) busy = true;
  c.Sent += static_cast<std::size_t>(written);
  if (c.Sent < c.Reply.size()) return true;
  ++answered_;
  return false;  // answered: the connection closes
}

void MetricsServer::Serve() {
  std::vector<Connection> open;
  for (;;) {
    bool busy = AcceptNew(open);
    for (std::size_t i = 0; i < open.size();) {
      if (Step(open[i], busy)) {
        ++i;
      } else {
        open.erase(open.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
    std::unique_lock<std::mutex> lock(mutex_);
    if (stopping_) return;
    if (!busy) wake_.wait_for(lock, kIdleWait, [this] { return stopping_; });
    if (stopping_) return;
  }
}

}  // namespace ptpdiag
