// The HTTP server of the metrics (GET /metrics) and the web view's state
// (GET /api/state.json), on its own thread, so that clients never hold up
// the window thread, which only hands over a snapshot each tick, and draws
// a screen's picture (GET /screen/N.svg) when one is asked for and the
// last is over a second old. With a
// token, every request must carry it. An event stream (GET /events) stays
// open and gets each new snapshot as one event; its client must keep up,
// and once its page has said it reads (GET /events/read), keep saying so. One thread waits on every
// connection at once. A request must come whole within a short time and size, and when every place
// is taken a newcomer takes the place of the connection that has sent least, so idle or dripping
// sockets cannot shut a real scrape out.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "metrics/metrics_snapshot.h"
#include "platform/network.h"

namespace ptpdiag {

struct MetricsLimits {
  std::size_t MaxRequestBytes = 8192;
  // For the request line and headers, from the connection's start.
  std::chrono::milliseconds MaxRequestTime{2000};
  // For the whole exchange, answer included (an event stream excepted).
  std::chrono::milliseconds MaxConnectionTime{5000};
  std::size_t MaxConnections = 256;
  std::string Token;  // empty: none is asked for
  // Event streams open at once; more are answered 503.
  std::size_t MaxStreams = 16;
  // What a stream's client may leave unread in the server; beyond it, or
  // with bytes waiting this long, the client is dropped.
  std::size_t MaxStreamBacklog = 64 * 1024;
  std::chrono::milliseconds MaxStreamStall{10000};
  // A page says every 2 s that it reads its stream; once it has, four
  // words missed drop it, within 10 s of its stopping.
  std::chrono::milliseconds MaxPageSilence{8000};
  // A screen's picture is drawn again once it is this old; a request waits
  // this long for it before a 503.
  std::chrono::milliseconds ScreenFreshness{1000};
  std::chrono::milliseconds MaxScreenWait{3000};
};

class MetricsServer {
 public:
  // Listens on `host` (a dotted IPv4 address) at `port` (0: any free one)
  // and starts serving; nothing, with `error` set, when it cannot listen.
  // `network` must outlive the server.
  static std::unique_ptr<MetricsServer> Start(Network& network, const std::string& host,
                                              std::uint16_t port, std::string& error,
                                              MetricsLimits limits = {});
  ~MetricsServer();
  MetricsServer(const MetricsServer&) = delete;
  MetricsServer& operator=(const MetricsServer&) = delete;

  std::uint16_t Port() const { return port_; }
  // From the window thread: what the next scrapes show, and the next
  // event of every stream.
  void Publish(MetricsSnapshot snapshot);
  // From the window thread: the screens asked for since the last call
  // (bit N-1 for screen N), and a picture of one of them.
  std::uint8_t TakeScreensAsked() { return screensAsked_.exchange(0); }
  void PublishScreen(int screen, std::string svg);
  // Event streams open now.
  std::size_t Streams() const { return streams_; }

  // Requests answered, and connections dropped (too slow, too large, or
  // pushed out by a newcomer) so far.
  std::uint64_t Answered() const { return answered_; }
  std::uint64_t Dropped() const { return dropped_; }

 private:
  struct Connection;
  MetricsServer(Network& network, std::unique_ptr<TcpListener> listener, MetricsLimits limits);
  void Serve();
  void AcceptNew(std::vector<Connection>& open);
  void MakeRoom(std::vector<Connection>& open);
  // Closes the connections that are done with, counting the streams.
  void ForgetDone(std::vector<Connection>& open);
  // Reads, answers or drops one connection; false once it is done with.
  bool Step(Connection& c);
  bool ReadRequestPart(Connection& c);
  bool WriteReplyPart(Connection& c);
  bool PastItsTime(const Connection& c) const;
  // A stream: the newest state queued as an event when the client has
  // not had it; false once its client has left too much unread.
  bool QueueEvent(Connection& c);
  bool StepStream(Connection& c);
  // A stream whose page has said it reads and has gone quiet since.
  bool StoppedReading(const Connection& c) const;
  // Notes that the stream `key` was read; false when none has that key.
  bool NoteStreamRead(std::string_view key);
  // Screen N's picture if it is fresh; else nothing, and it is asked for.
  std::shared_ptr<const std::string> FreshScreen(int screen);
  // A request waiting for a picture: answered once it comes or its time is
  // up; false once its client has gone.
  void AnswerIfDrawn(Connection& c);
  bool KeepWaiting(Connection& c);
  // The latest snapshot; an empty one before the first.
  std::shared_ptr<const MetricsSnapshot> Latest(std::uint64_t* number = nullptr);

  Network& network_;
  std::unique_ptr<TcpListener> listener_;
  MetricsLimits limits_;
  std::uint16_t port_;
  std::mutex mutex_;
  std::atomic<bool> stopping_{false};
  std::shared_ptr<const MetricsSnapshot> latest_;
  std::uint64_t published_ = 0;  // snapshots so far, under mutex_
  struct Picture {
    std::shared_ptr<const std::string> Svg;
    std::chrono::steady_clock::time_point At;
  };
  std::array<Picture, 5> screens_;  // under mutex_
  std::atomic<std::uint8_t> screensAsked_{0};
  std::atomic<std::size_t> streams_{0};
  std::atomic<std::uint64_t> answered_{0};
  std::atomic<std::uint64_t> dropped_{0};
  std::vector<Connection> open_;  // the server thread's own
  std::thread thread_;
};

}  // namespace ptpdiag
