// The metrics endpoint: GET /metrics on its own thread, so that scrapes
// never hold up the window thread, which only hands over a snapshot each
// tick. Requests over 8 KB or slower than 5 s are dropped, and at most 8
// connections are open at once (more wait in the listener's backlog).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "metrics/metrics_snapshot.h"
#include "platform/network.h"

namespace ptpdiag {

struct MetricsLimits {
  std::size_t MaxRequestBytes = 8192;
  std::chrono::milliseconds MaxRequestTime{5000};
  std::size_t MaxConnections = 8;
};

class MetricsServer {
 public:
  // Listens on `host` (a dotted IPv4 address) at `port` (0: any free one)
  // and starts serving; nothing, with `error` set, when it cannot listen.
  static std::unique_ptr<MetricsServer> Start(Network& network, const std::string& host,
                                              std::uint16_t port, std::string& error,
                                              MetricsLimits limits = {});
  ~MetricsServer();
  MetricsServer(const MetricsServer&) = delete;
  MetricsServer& operator=(const MetricsServer&) = delete;

  std::uint16_t Port() const { return port_; }
  // From the window thread: what the next scrapes show.
  void Publish(MetricsSnapshot snapshot);

  // Requests answered and connections dropped so far.
  std::uint64_t Answered() const { return answered_; }
  std::uint64_t Dropped() const { return dropped_; }

 private:
  struct Connection;
  MetricsServer(std::unique_ptr<TcpListener> listener, MetricsLimits limits);
  void Serve();
  bool AcceptNew(std::vector<Connection>& open);
  // Reads, answers or drops one connection; false once it is done with.
  bool Step(Connection& c, bool& busy);
  std::string Body();

  std::unique_ptr<TcpListener> listener_;
  MetricsLimits limits_;
  std::uint16_t port_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::shared_ptr<const MetricsSnapshot> latest_;
  std::atomic<std::uint64_t> answered_{0};
  std::atomic<std::uint64_t> dropped_{0};
  std::thread thread_;
};

}  // namespace ptpdiag
