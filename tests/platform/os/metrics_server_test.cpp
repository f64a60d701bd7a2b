// The metrics endpoint on real loopback sockets: answers, refusals, and the
// limits that keep a misbehaving client from holding it.
#include "metrics/metrics_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>
#include <string>
#include <vector>

#include "platform/os/posix_network.h"

namespace ptpdiag {
namespace {

using namespace std::chrono_literals;

// A client connection to 127.0.0.1:port.
class Client {
 public:
  explicit Client(std::uint16_t port) : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~Client() { close(fd_); }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  bool Connected() const { return connected_; }
  void Send(const std::string& text) {
    ASSERT_EQ(send(fd_, text.data(), text.size(), MSG_NOSIGNAL), static_cast<ssize_t>(text.size()));
  }
  // Everything until the server closes, or what came within `limit`.
  std::string ReadToEnd(std::chrono::milliseconds limit = 3000ms) {
    std::string got;
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
      pollfd entry{fd_, POLLIN, 0};
      if (poll(&entry, 1, 50) <= 0) continue;
      char chunk[4096];
      const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
      if (n <= 0) {
        closed_ = true;
        break;
      }
      got.append(chunk, static_cast<std::size_t>(n));
    }
    return got;
  }
  bool ClosedByServer() const { return closed_; }

 private:
  int fd_;
  bool connected_ = false;
  bool closed_ = false;
};

class Endpoint : public testing::Test {
 protected:
  void Start(MetricsLimits limits = {}) {
    std::string error;
    server = MetricsServer::Start(network, "127.0.0.1", 0, error, limits);
    ASSERT_TRUE(server) << error;
    MetricsSnapshot m;
    m.Version = "1.2.3";
    m.LinkKind = "udp";
    m.LinkPort = "4131";
    server->Publish(m);
  }
  PosixNetwork network;
  std::unique_ptr<MetricsServer> server;
};

TEST_F(Endpoint, AnswersAScrapeWithTheLatestSnapshotAndCloses) {
  Start();
  Client c(server->Port());
  ASSERT_TRUE(c.Connected());
  c.Send("GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
  const std::string reply = c.ReadToEnd();
  EXPECT_EQ(reply.rfind("HTTP/1.1 200 OK\r\n", 0), 0U) << reply;
  EXPECT_NE(reply.find("ptpdiag_build_info{version=\"1.2.3\"} 1\n"), std::string::npos);
  EXPECT_NE(reply.find("ptpdiag_link_up{kind=\"udp\",port=\"4131\"} 1\n"), std::string::npos);
  EXPECT_TRUE(c.ClosedByServer());
}

TEST_F(Endpoint, ARequestInPiecesIsAnsweredOnceWhole) {
  Start();
  Client c(server->Port());
  c.Send("GET /metr");
  EXPECT_EQ(c.ReadToEnd(200ms), "");
  c.Send("ics HTTP/1.1\r\n\r\n");
  EXPECT_EQ(c.ReadToEnd().rfind("HTTP/1.1 200 OK", 0), 0U);
}

TEST_F(Endpoint, OtherPathsAndMethodsAreRefused) {
  Start();
  Client a(server->Port());
  a.Send("GET /favicon.ico HTTP/1.1\r\n\r\n");
  EXPECT_EQ(a.ReadToEnd().rfind("HTTP/1.1 404", 0), 0U);
  Client b(server->Port());
  b.Send("DELETE /metrics HTTP/1.1\r\n\r\n");
  EXPECT_EQ(b.ReadToEnd().rfind("HTTP/1.1 405", 0), 0U);
}

TEST_F(Endpoint, AnOversizedRequestIsDropped) {
  Start();
  Client c(server->Port());
  c.Send("GET /metrics HTTP/1.1\r\nX-Padding: " + std::string(9000, 'a'));
  EXPECT_EQ(c.ReadToEnd(), "");
  EXPECT_TRUE(c.ClosedByServer());
  EXPECT_EQ(server->Dropped(), 1U);
}

TEST_F(Endpoint, ASlowRequestIsDroppedAtItsTimeLimit) {
  MetricsLimits limits;
  limits.MaxRequestTime = 300ms;
  Start(limits);
  Client c(server->Port());
  c.Send("GET /metrics HTTP/1.1\r\n");  // and never the end of the head
  EXPECT_EQ(c.ReadToEnd(2000ms), "");
  EXPECT_TRUE(c.ClosedByServer());
}

TEST_F(Endpoint, WhenEveryPlaceIsTakenTheConnectionThatSentLeastMakesRoom) {
  MetricsLimits limits;
  limits.MaxConnections = 2;
  Start(limits);
  Client idle(server->Port());
  Client asking(server->Port());
  asking.Send("GET /metrics HTTP/1.1\r\n");  // half a request: more than idle
  EXPECT_EQ(asking.ReadToEnd(200ms), "");
  Client third(server->Port());
  third.Send("GET /metrics HTTP/1.1\r\n\r\n");
  EXPECT_EQ(third.ReadToEnd().rfind("HTTP/1.1 200 OK", 0), 0U);
  EXPECT_EQ(idle.ReadToEnd(200ms), "");
  EXPECT_TRUE(idle.ClosedByServer());
  asking.Send("\r\n");
  EXPECT_EQ(asking.ReadToEnd().rfind("HTTP/1.1 200 OK", 0), 0U);
  EXPECT_EQ(server->Dropped(), 1U);
}

// Streams outlive the exchange time, get each new snapshot once, and are
// counted: one more than the most gets 503 until one closes.
TEST_F(Endpoint, EventStreamsGetEachSnapshotAndAreCounted) {
  MetricsLimits limits;
  limits.MaxStreams = 2;
  limits.MaxConnectionTime = 300ms;
  Start(limits);
  const std::string ask = "GET /events HTTP/1.1\r\n\r\n";
  auto first = std::make_unique<Client>(server->Port());
  first->Send(ask);
  const std::string opened = first->ReadToEnd(300ms);
  EXPECT_EQ(opened.rfind("HTTP/1.1 200 OK\r\n", 0), 0U) << opened;
  EXPECT_NE(opened.find("\r\n\r\nevent: stream\ndata: "), std::string::npos) << opened;
  EXPECT_NE(opened.find("\n\ndata: {\"Version\": \"1.2.3\""), std::string::npos) << opened;
  Client second(server->Port());
  second.Send(ask);
  EXPECT_NE(second.ReadToEnd(300ms).find("data: "), std::string::npos);
  EXPECT_EQ(server->Streams(), 2U);
  Client third(server->Port());
  third.Send(ask);
  EXPECT_EQ(third.ReadToEnd().rfind("HTTP/1.1 503", 0), 0U);

  MetricsSnapshot next;
  next.Version = "9.9.9";
  server->Publish(next);
  const std::string later = first->ReadToEnd(600ms);  // past the exchange time
  EXPECT_EQ(later.rfind("data: {\"Version\": \"9.9.9\"", 0), 0U) << later;
  EXPECT_EQ(later.find("data: ", 1), std::string::npos) << "one event per snapshot: " << later;
  EXPECT_FALSE(first->ClosedByServer());

  first.reset();
  server->Publish(next);  // the server sees the close at the latest when it writes
  Client fourth(server->Port());
  for (int i = 0; i < 20 && server->Streams() > 1; ++i) std::this_thread::sleep_for(50ms);
  fourth.Send(ask);
  EXPECT_EQ(fourth.ReadToEnd(300ms).rfind("HTTP/1.1 200 OK", 0), 0U);
}

// A screen's picture is asked of the window thread once; the waiting
// request gets it, the next within its freshness gets it at once, and one
// that is never drawn gets 503 when its wait is up.
TEST_F(Endpoint, ScreenPicturesAreWaitedForAndKeptFresh) {
  MetricsLimits limits;
  limits.ScreenFreshness = 2000ms;
  limits.MaxScreenWait = 300ms;
  Start(limits);
  Client waiting(server->Port());
  waiting.Send("GET /screen/3.svg HTTP/1.1\r\n\r\n");
  std::uint8_t asked = 0;
  for (int i = 0; i < 40 && asked == 0; ++i) {
    std::this_thread::sleep_for(10ms);
    asked = server->TakeScreensAsked();
  }
  EXPECT_EQ(asked, 1U << 2);
  server->PublishScreen(3, "<svg>3</svg>");
  const std::string answer = waiting.ReadToEnd(1000ms);
  EXPECT_EQ(answer.rfind("HTTP/1.1 200 OK\r\n", 0), 0U) << answer;
  EXPECT_TRUE(answer.ends_with("<svg>3</svg>")) << answer;

  Client again(server->Port());
  again.Send("GET /screen/3.svg HTTP/1.1\r\n\r\n");
  EXPECT_TRUE(again.ReadToEnd(1000ms).ends_with("<svg>3</svg>"));
  EXPECT_EQ(server->TakeScreensAsked(), 0U);

  Client undrawn(server->Port());
  undrawn.Send("GET /screen/1.svg HTTP/1.1\r\n\r\n");
  EXPECT_EQ(undrawn.ReadToEnd(1000ms).rfind("HTTP/1.1 503", 0), 0U);
}

// Once a stream's page has said it reads, it must keep saying so; a
// stream that never did is left to the limits on what waits unsent.
TEST_F(Endpoint, AStreamWhosePageStopsSayingItReadsIsDropped) {
  MetricsLimits limits;
  limits.MaxPageSilence = 300ms;
  Start(limits);
  Client said(server->Port());
  Client silent(server->Port());
  said.Send("GET /events HTTP/1.1\r\n\r\n");
  silent.Send("GET /events HTTP/1.1\r\n\r\n");
  const std::string opened = said.ReadToEnd(200ms);
  const std::size_t at = opened.find("event: stream\ndata: ");
  ASSERT_NE(at, std::string::npos) << opened;
  const std::string key = opened.substr(at + 20, opened.find('\n', at + 20) - at - 20);
  for (const auto& [stream, status] : {std::pair{key, "204"}, std::pair{key + "x", "404"}}) {
    Client read(server->Port());
    read.Send("GET /events/read?stream=" + stream + " HTTP/1.1\r\n\r\n");
    EXPECT_EQ(read.ReadToEnd().substr(9, 3), status) << stream;
  }
  EXPECT_EQ(server->Streams(), 2U);
  for (int i = 0; i < 40 && server->Streams() > 1; ++i) std::this_thread::sleep_for(25ms);
  EXPECT_EQ(server->Streams(), 1U);
  said.ReadToEnd(200ms);
  EXPECT_TRUE(said.ClosedByServer());
}

TEST_F(Endpoint, APortInUseIsAnErrorWithTheSystemsWords) {
  Start();
  std::string error;
  EXPECT_FALSE(MetricsServer::Start(network, "127.0.0.1", server->Port(), error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace ptpdiag
