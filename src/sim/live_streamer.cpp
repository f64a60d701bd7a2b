#include "sim/live_streamer.h"

#include <algorithm>

namespace ptpdiag::sim {
namespace {

// Several hops go out per wake-up at high rates, so the simulator itself
// stays cheap.
constexpr std::chrono::milliseconds kMinSleep{2};

}  // namespace

LiveStreamer::LiveStreamer(GeneratorSettings settings, std::unique_ptr<ByteSink> sink,
                           std::int64_t durationMs)
    : setupError_(ValidateSettings(settings)),
      sink_(std::move(sink)),
      durationMs_(std::max<std::int64_t>(durationMs, 0)) {
  if (!setupError_ && !sink_) setupError_ = "the stream has no output";
  if (!setupError_) generator_.emplace(settings);
}

LiveStreamer::~LiveStreamer() {
  Stop();
}

void LiveStreamer::Start() {
  const std::lock_guard lock(mutex_);
  if (setupError_ || !sink_ || started_ || stopRequested_) return;
  started_ = true;
  thread_ = std::thread([this] { Run(); });
}

void LiveStreamer::Stop() {
  {
    const std::lock_guard lock(mutex_);
    stopRequested_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool LiveStreamer::WaitUntilDone(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return wake_.wait_for(lock, timeout, [this] { return done_; });
}

void LiveStreamer::Run() {
  const Clock::time_point start = Clock::now();
  std::unique_lock lock(mutex_);
  while (!stopRequested_) {
    lock.unlock();
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    const bool finished = SendDueHops(elapsed.count());
    lock.lock();
    if (finished) break;
    const Clock::time_point due =
        start + std::chrono::milliseconds(generator_->HopTimeMs(generator_->HopsGenerated()));
    wake_.wait_until(lock, std::max(due, Clock::now() + kMinSleep),
                     [this] { return stopRequested_; });
  }
  lock.unlock();
  Count(sink_->Flush());
  lock.lock();
  done_ = true;
  wake_.notify_all();
}

bool LiveStreamer::SendDueHops(std::int64_t elapsedMs) {
  for (;;) {
    const std::int64_t nextMs = generator_->HopTimeMs(generator_->HopsGenerated());
    if (durationMs_ > 0 && nextMs >= durationMs_) return true;
    if (nextMs > elapsedMs) return false;
    hopBytes_.clear();
    AppendHopBytes(generator_->Next(), hopBytes_);
    Count(sink_->Write(hopBytes_));
    hopsSent_.fetch_add(1);
  }
}

void LiveStreamer::Count(WriteCounts counts) {
  bytesSent_.fetch_add(counts.Sent);
  bytesDropped_.fetch_add(counts.Dropped);
}

}  // namespace ptpdiag::sim
