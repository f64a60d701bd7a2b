#include "metrics/metrics_server.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>

#include "metrics/access_token.h"
#include "metrics/exposition.h"
#include "metrics/http_request.h"
#include "metrics/state_json.h"

namespace ptpdiag {
namespace {

using Clock = std::chrono::steady_clock;
// The longest wait for sockets, so that a stop is seen soon.
constexpr int kWaitSliceMs = 50;
// After a failed wait, so that it is not retried in a tight loop.
constexpr std::chrono::milliseconds kFailedWaitPause{5};
// Connections taken per turn, so that the ones open are served too.
constexpr int kAcceptsPerTurn = 256;
// What the system may hold of a stream unsent: a few seconds of events, so
// that a client that stops reading soon leaves its backlog here, in sight.
constexpr int kStreamSendBuffer = 8 * 1024;

}  // namespace

struct MetricsServer::Connection {
  std::unique_ptr<TcpStream> Stream;
  Clock::time_point Since;
  std::string Received;
  std::string Reply;  // once answered: what is still to go out
  std::size_t Sent = 0;
  bool Answering = false;
  bool Done = false;
  // An event stream: the last snapshot queued, and since when bytes wait.
  bool Streaming = false;
  std::string Key;  // the page names it when it says it reads
  std::optional<Clock::time_point> LastRead;
  std::uint64_t Queued = 0;
  Clock::time_point WaitingSince;
  // A request for a screen's picture not drawn yet.
  int WaitsForScreen = 0;
  bool HeadOnly = false;
};

std::unique_ptr<MetricsServer> MetricsServer::Start(Network& network, const std::string& host,
                                                    std::uint16_t port, std::string& error,
                                                    MetricsLimits limits) {
  TcpListenResult listening = network.ListenTcp(host, port);
  if (!listening.Listener) {
    error = listening.Error;
    return nullptr;
  }
  return std::unique_ptr<MetricsServer>(
      new MetricsServer(network, std::move(listening.Listener), limits));
}

MetricsServer::MetricsServer(Network& network, std::unique_ptr<TcpListener> listener,
                             MetricsLimits limits)
    : network_(network),
      listener_(std::move(listener)),
      limits_(limits),
      port_(listener_->LocalPort()) {
  thread_ = std::thread([this] { Serve(); });
}

MetricsServer::~MetricsServer() {
  stopping_ = true;
  thread_.join();
}

void MetricsServer::Publish(MetricsSnapshot snapshot) {
  auto shared = std::make_shared<const MetricsSnapshot>(std::move(snapshot));
  const std::lock_guard<std::mutex> lock(mutex_);
  latest_ = std::move(shared);
  ++published_;
}

void MetricsServer::PublishScreen(int screen, std::string svg) {
  if (screen < 1 || screen > static_cast<int>(screens_.size())) return;
  auto shared = std::make_shared<const std::string>(std::move(svg));
  const std::lock_guard<std::mutex> lock(mutex_);
  screens_[static_cast<std::size_t>(screen - 1)] = {std::move(shared), Clock::now()};
}

std::shared_ptr<const std::string> MetricsServer::FreshScreen(int screen) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    const Picture& p = screens_[static_cast<std::size_t>(screen - 1)];
    if (p.Svg && Clock::now() - p.At <= limits_.ScreenFreshness) return p.Svg;
  }
  screensAsked_ |= static_cast<std::uint8_t>(1U << (screen - 1));
  return nullptr;
}

std::shared_ptr<const MetricsSnapshot> MetricsServer::Latest(std::uint64_t* number) {
  std::shared_ptr<const MetricsSnapshot> snapshot;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    snapshot = latest_;
    if (number != nullptr) *number = published_;
  }
  return snapshot ? snapshot : std::make_shared<const MetricsSnapshot>();
}

// Everyone waiting is let in; each newcomer first tries to read, as a
// client usually sends its request with the connection.
void MetricsServer::AcceptNew(std::vector<Connection>& open) {
  for (int i = 0; i < kAcceptsPerTurn; ++i) {
    std::unique_ptr<TcpStream> stream = listener_->Accept();
    if (!stream) return;
    MakeRoom(open);
    Connection c;
    c.Stream = std::move(stream);
    c.Since = Clock::now();
    c.Done = !Step(c);
    open.push_back(std::move(c));
  }
}

// When every place is taken, the one that has sent least (the oldest of
// equals) goes: a client that has asked is never pushed out by idle ones.
void MetricsServer::MakeRoom(std::vector<Connection>& open) {
  const auto live =
      std::count_if(open.begin(), open.end(), [](const Connection& c) { return !c.Done; });
  if (static_cast<std::size_t>(live) < limits_.MaxConnections) return;
  Connection* least = nullptr;
  for (Connection& c : open) {
    if (c.Done) continue;
    if (least == nullptr || c.Received.size() < least->Received.size() ||
        (c.Received.size() == least->Received.size() && c.Since < least->Since)) {
      least = &c;
    }
  }
  if (least == nullptr) return;
  least->Done = true;
  least->Stream.reset();
  ++dropped_;
}

bool MetricsServer::PastItsTime(const Connection& c) const {
  if (c.WaitsForScreen != 0) return false;  // its own time, in AnswerIfDrawn
  if (c.Streaming)
    return c.Sent < c.Reply.size() && Clock::now() - c.WaitingSince > limits_.MaxStreamStall;
  const Clock::duration age = Clock::now() - c.Since;
  return age > limits_.MaxConnectionTime || (!c.Answering && age > limits_.MaxRequestTime);
}

bool MetricsServer::Step(Connection& c) {
  if (PastItsTime(c)) {
    ++dropped_;
    return false;
  }
  if (c.Streaming) return StepStream(c);
  if (c.WaitsForScreen != 0) return KeepWaiting(c);
  if (!c.Answering && !ReadRequestPart(c)) return false;
  if (c.Streaming) return StepStream(c);  // it has just begun
  if (c.WaitsForScreen != 0) return true;
  return !c.Answering || WriteReplyPart(c);
}

// False once the connection is to close: gone, or its request too large.
bool MetricsServer::ReadRequestPart(Connection& c) {
  std::array<std::uint8_t, 2048> chunk{};
  const std::int64_t n = c.Stream->ReadNoWait(chunk);
  if (n < 0) return false;  // gone before asking anything
  if (n == 0) return true;
  c.Received.append(reinterpret_cast<const char*>(chunk.data()), static_cast<std::size_t>(n));
  HttpRequest request;
  const RequestState state = ReadRequest(c.Received, request);
  if (state == RequestState::Incomplete) {
    if (c.Received.size() <= limits_.MaxRequestBytes) return true;
    ++dropped_;
    return false;
  }
  const WebAnswers answers{[this] { return FormatMetrics(*Latest()); },
                           [this] { return StateJson(*Latest()); }, limits_.Token,
                           [this] { return streams_ < limits_.MaxStreams; },
                           [this](int screen) { return FreshScreen(screen); },
                           [this](std::string_view key) { return NoteStreamRead(key); }};
  HttpAnswer answer = RespondTo(request, state, answers);
  c.Reply = std::move(answer.Text);
  c.Answering = true;
  if (answer.WaitsForScreen != 0) {
    c.WaitsForScreen = answer.WaitsForScreen;
    c.HeadOnly = answer.Head;
    c.WaitingSince = Clock::now();
    return true;
  }
  if (answer.Stream) {
    c.Streaming = true;
    c.WaitingSince = Clock::now();
    c.Key = RandomToken();
    c.Reply += StreamKeyEvent(c.Key);
    c.Stream->LimitSending(
        kStreamSendBuffer,
        static_cast<int>(std::chrono::ceil<std::chrono::seconds>(limits_.MaxStreamStall).count()));
    ++streams_;
    QueueEvent(c);
  }
  return true;
}

void MetricsServer::AnswerIfDrawn(Connection& c) {
  const std::shared_ptr<const std::string> svg = FreshScreen(c.WaitsForScreen);
  if (!svg && Clock::now() - c.WaitingSince <= limits_.MaxScreenWait) return;
  c.Reply = ScreenResponse(svg.get(), c.HeadOnly);
  c.WaitsForScreen = 0;
  c.Since = Clock::now();  // the whole exchange time for sending it
}

// What the client sends meanwhile is let go; a close ends the wait.
bool MetricsServer::KeepWaiting(Connection& c) {
  std::array<std::uint8_t, 512> chunk{};
  return c.Stream->ReadNoWait(chunk) >= 0;
}

bool MetricsServer::QueueEvent(Connection& c) {
  std::uint64_t number = 0;
  const std::shared_ptr<const MetricsSnapshot> latest = Latest(&number);
  if (number == c.Queued) return true;
  c.Queued = number;
  // What went out is let go first, so the backlog is what waits.
  c.Reply.erase(0, c.Sent);
  c.Sent = 0;
  if (c.Reply.empty()) c.WaitingSince = Clock::now();
  std::string json = StateJson(*latest);
  if (!json.empty() && json.back() == '\n') json.pop_back();
  c.Reply += EventOf(json);
  return c.Reply.size() <= limits_.MaxStreamBacklog;
}

bool MetricsServer::StoppedReading(const Connection& c) const {
  return c.LastRead && Clock::now() - *c.LastRead > limits_.MaxPageSilence;
}

bool MetricsServer::NoteStreamRead(std::string_view key) {
  for (Connection& c : open_) {
    if (c.Streaming && !c.Done && !key.empty() && c.Key == key) {
      c.LastRead = Clock::now();
      return true;
    }
  }
  return false;
}

// Whatever the client sends is read and let go (a close shows as a failed
// read); what waits for it is written as far as it takes it.
bool MetricsServer::StepStream(Connection& c) {
  if (c.Sent == c.Reply.size()) {
    std::array<std::uint8_t, 512> chunk{};
    return c.Stream->ReadNoWait(chunk) >= 0;
  }
  const auto rest = std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(c.Reply.data()) + c.Sent, c.Reply.size() - c.Sent);
  const std::int64_t written = c.Stream->WriteNoWait(rest);
  if (written < 0) return false;
  c.Sent += static_cast<std::size_t>(written);
  if (c.Sent == c.Reply.size()) {
    c.Reply.clear();
    c.Sent = 0;
  }
  return true;
}

// False once the answer is out (the connection closes) or cannot go.
bool MetricsServer::WriteReplyPart(Connection& c) {
  const auto rest = std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(c.Reply.data()) + c.Sent, c.Reply.size() - c.Sent);
  const std::int64_t written = c.Stream->WriteNoWait(rest);
  if (written < 0) return false;
  c.Sent += static_cast<std::size_t>(written);
  if (c.Sent < c.Reply.size()) return true;
  ++answered_;
  return false;
}

void MetricsServer::ForgetDone(std::vector<Connection>& open) {
  for (const Connection& c : open) {
    if (c.Done && c.Streaming) --streams_;
  }
  std::erase_if(open, [](const Connection& c) { return c.Done; });
}

void MetricsServer::Serve() {
  std::vector<Connection>& open = open_;
  std::vector<SocketWatch> watched;
  while (!stopping_) {
    for (Connection& c : open) {
      if (c.Done) continue;
      if (c.WaitsForScreen != 0) AnswerIfDrawn(c);
      if (c.Streaming && (StoppedReading(c) || !QueueEvent(c))) {
        c.Done = true;
        ++dropped_;
      }
    }
    ForgetDone(open);
    watched.assign(1, SocketWatch{listener_->Handle()});
    for (const Connection& c : open)
      watched.push_back({c.Stream->Handle(), c.Answering && c.Sent < c.Reply.size()});
    if (network_.WaitForSockets(watched, kWaitSliceMs) < 0) {
      std::this_thread::sleep_for(kFailedWaitPause);
    }
    const std::size_t served = open.size();
    for (std::size_t i = 0; i < served; ++i) {
      // Every turn checks the times, ready or not.
      if (!open[i].Done && (watched[i + 1].Ready || PastItsTime(open[i]))) {
        open[i].Done = !Step(open[i]);
      }
    }
    if (watched[0].Ready) AcceptNew(open);
    ForgetDone(open);
  }
}

}  // namespace ptpdiag
