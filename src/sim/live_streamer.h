// Streams a simulated radio's hops in real time on a thread of its own:
// the pacing behind every live output of ptpdiag-sim, and what the main
// program's demo mode runs in-process.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/byte_sink.h"
#include "sim/frame_generator.h"

namespace ptpdiag::sim {

class LiveStreamer {
 public:
  // Hop n of a FrameGenerator with `settings` goes out to `sink`
  // HopTimeMs(n) after Start, on a steady clock, until `durationMs` has
  // passed (0: until stopped).
  LiveStreamer(GeneratorSettings settings, std::unique_ptr<ByteSink> sink,
               std::int64_t durationMs = 0);
  ~LiveStreamer();  // stops and joins
  LiveStreamer(const LiveStreamer&) = delete;
  LiveStreamer& operator=(const LiveStreamer&) = delete;

  // Why the streamer cannot run (bad settings, no output), or nothing.
  const std::optional<std::string>& SetupError() const { return setupError_; }

  // Starts the sending thread; does nothing after a setup error, a first
  // Start or a Stop.
  void Start();
  // Ends the stream within a few milliseconds and joins the thread; may be
  // called any number of times, but from one thread at a time.
  void Stop();
  // Waits up to `timeout` for the duration to run out; true once it has.
  [[nodiscard]] bool WaitUntilDone(std::chrono::milliseconds timeout);

  // Hops whose time came and that were handed to the output.
  std::int64_t HopsSent() const { return hopsSent_.load(); }
  std::int64_t BytesSent() const { return bytesSent_.load(); }
  // Bytes of those hops that did not go out (no reader, full buffer, send
  // error).
  std::int64_t BytesDropped() const { return bytesDropped_.load(); }

 private:
  using Clock = std::chrono::steady_clock;

  void Run();
  // Sends every hop due by `elapsedMs`; true once the duration is used up.
  [[nodiscard]] bool SendDueHops(std::int64_t elapsedMs);
  void Count(WriteCounts counts);

  std::optional<std::string> setupError_;
  std::optional<FrameGenerator> generator_;
  std::unique_ptr<ByteSink> sink_;
  std::int64_t durationMs_;
  std::vector<std::uint8_t> hopBytes_;

  std::mutex mutex_;
  std::condition_variable wake_;
  bool started_ = false;
  bool stopRequested_ = false;
  bool done_ = false;
  std::thread thread_;

  std::atomic<std::int64_t> hopsSent_{0};
  std::atomic<std::int64_t> bytesSent_{0};
  std::atomic<std::int64_t> bytesDropped_{0};
};

}  // namespace ptpdiag::sim
