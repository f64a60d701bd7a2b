#include "alarms/transmitter_window.h"

#include <algorithm>

namespace ptpdiag {
namespace {

constexpr std::int64_t kWindowMs = 1000;

}  // namespace

void TransmitterWindow::AddFrame(std::uint8_t vswrByte, std::uint8_t currentByte, std::int64_t tickMs) {
  if (currentByte == 0) return;  // the hop did not transmit
  if (ticks_.empty() || ticks_.back().first != tickMs) {
    ticks_.emplace_back(tickMs, vswrByte);
  } else {
    ticks_.back().second = std::max(ticks_.back().second, vswrByte);
  }
}

std::optional<double> TransmitterWindow::HighestVswr(std::int64_t tickMs) {
  while (!ticks_.empty() && ticks_.front().first <= tickMs - kWindowMs) ticks_.pop_front();
  std::optional<double> highest;
  for (const auto& [ms, vswr] : ticks_) highest = std::max(highest.value_or(0.0), static_cast<double>(vswr));
  return highest;
}

}  // namespace ptpdiag
