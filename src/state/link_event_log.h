// Link events in words, one line each, for runs with no screen to show
// them on. A sentence the same as the last one written is left out for
// 10 s: a gone device with no reopen repeats its event every tick.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace ptpdiag {

class LinkEventLog {
 public:
  // Lines go to `out` (not owned); null: nowhere.
  void SetStream(std::ostream* out) { out_ = out; }
  // Writes "ptpdiag: TEXT" unless it repeats the last line within 10 s
  // (monotonic ms).
  void Write(std::string_view text, std::int64_t nowMs);

 private:
  static constexpr std::int64_t kRepeatQuietMs = 10'000;
  std::ostream* out_ = nullptr;
  std::string last_;
  std::int64_t lastMs_ = 0;
};

}  // namespace ptpdiag
