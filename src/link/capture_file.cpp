#include "link/capture_file.h"

#include "link/capture_text.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace ptpdiag {

std::string CaptureError::Text() const {
  if (Line > 0) return File + ":" + std::to_string(Line) + ": " + Message;
  return File + ": " + Message;
}

namespace {

bool IsLeapYear(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// A run of exactly `width` decimal digits at `at`.
std::optional<int> FixedNumber(std::string_view text, std::size_t at, std::size_t width) {
  if (at + width > text.size()) return std::nullopt;
  int value = 0;
  for (std::size_t i = at; i < at + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  return s;
}

std::string Shown(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x20 && byte < 0x7F) return std::string("'") + c + "'";
  char text[16];
  std::snprintf(text, sizeof text, "byte 0x%02X", byte);
  return text;
}

// The keyword at the start of a line, when the line is that keyword
// followed by a blank or nothing; the rest of the line.
std::optional<std::string_view> AfterKeyword(std::string_view text, std::string_view keyword) {
  if (text.substr(0, keyword.size()) != keyword) return std::nullopt;
  if (text.size() > keyword.size() && text[keyword.size()] != ' ' && text[keyword.size()] != '\t')
    return std::nullopt;
  return Trim(text.substr(keyword.size()));
}

class StreamText final : public CaptureText {
 public:
  explicit StreamText(std::istream& in) : in_(in) {}
  bool NextLine(std::string& line, bool& ended) override {
    if (!std::getline(in_, line)) return false;
    ended = !in_.eof();
    return true;
  }
  std::string Failure() const override { return in_.bad() ? "read error" : ""; }

 private:
  std::istream& in_;
};

}  // namespace

CaptureReader::CaptureReader(std::unique_ptr<CaptureText> text, std::string fileName)
    : text_(std::move(text)), file_(std::move(fileName)) {}

void CaptureReader::SetCancel(std::function<bool()> cancel) {
  cancel_ = std::move(cancel);
}

std::unique_ptr<CaptureReader> CaptureReader::Open(const std::string& path, CaptureError& error) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (std::filesystem::is_directory(status)) {
    error = CaptureError{path, 0, "is a directory, not a capture file"};
    return nullptr;
  }
  // Nothing there is not opened: Windows opens its devices (COM1, NUL)
  // by those names, which no directory lists.
  if (status.type() == std::filesystem::file_type::not_found) {
    error = CaptureError{path, 0, "cannot open the capture file: " + std::string(std::strerror(ENOENT))};
    return nullptr;
  }
  // Opening a FIFO for reading would wait for a writer, and a device never
  // ends: only files are read.
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    error = CaptureError{path, 0, "is not a regular file (a pipe, device or socket), not a capture file"};
    return nullptr;
  }
  std::string why;
  std::unique_ptr<FileText> text = FileText::Open(path, why);
  if (!text) {
    error = CaptureError{path, 0,
                         why.empty() ? std::string("cannot open the capture file")
                                     : "cannot open the capture file: " + why};
    return nullptr;
  }
  return std::make_unique<CaptureReader>(std::move(text), path);
}

std::optional<CaptureLine> CaptureReader::Next() {
  if (error_ || !text_ || cancelled_) return std::nullopt;
  CaptureLine out;
  bool ended = true;
  while (text_->NextLine(line_, ended)) {
    ++number_;
    if (number_ % kLinesBetweenCancelChecks == 0 && cancel_ && cancel_()) {
      cancelled_ = true;
      return std::nullopt;
    }
    if (!ended) {
      // A text that could not be read further ends in a torn line: the
      // failure is the news, not the line.
      if (std::string failure = text_->Failure(); !failure.empty()) {
        error_ = CaptureError{file_, 0, std::move(failure)};
        return std::nullopt;
      }
      // The last line has no line end: the recording stopped in the middle
      // of writing it. What it holds up to its last whole byte pair is kept.
      const LineResult whole = Line(line_, out);
      if (whole == LineResult::Skip) return std::nullopt;
      cutShort_ = true;
      if (whole == LineResult::Data) return out;
      error_.reset();
      return Salvage(Trim(line_));
    }
    switch (Line(line_, out)) {
      case LineResult::Data:
        return out;
      case LineResult::Stop:
        return std::nullopt;
      case LineResult::Skip:
        break;
    }
  }
  if (text_->Overlong()) {
    error_ = CaptureError{file_, number_ + 1,
                          "the line is longer than 1 MiB, which no capture line is"};
  } else if (const std::string failure = text_->Failure(); !failure.empty()) {
    error_ = CaptureError{file_, 0, failure};
  }
  return std::nullopt;
}

CaptureReader::LineResult CaptureReader::Fail(std::string message) {
  error_ = CaptureError{file_, number_, std::move(message)};
  return LineResult::Stop;
}

CaptureReader::LineResult CaptureReader::Line(std::string_view raw, CaptureLine& out) {
  const std::string_view text = Trim(raw);
  if (text.starts_with("# link ") && text.size() <= kMaxLinkNote) linkNote_ = Trim(text.substr(7));
  if (text.empty() || text.front() == '#') return LineResult::Skip;
  if (endMs_) return Fail("nothing may follow the 'end' line");
  if (const auto rest = AfterKeyword(text, "start")) return StartLine(*rest);
  if (const auto rest = AfterKeyword(text, "timing")) return TimingLine(*rest);
  if (const auto rest = AfterKeyword(text, "end")) return EndLine(*rest);
  if (const auto rest = AfterKeyword(text, "tick")) return TickLine(*rest, out);
  return DataLine(text, out);
}

CaptureReader::LineResult CaptureReader::StartLine(std::string_view rest) {
  if (sawStart_) return Fail("a second 'start' line");
  if (sawData_) return Fail("the 'start' line must come before the data");
  const auto when = ParseDateTime(std::string(rest));
  if (!when) return Fail("expected 'start YYYY-MM-DD HH:MM:SS' with a valid date and time");
  start_ = *when;
  sawStart_ = true;
  return LineResult::Skip;
}

CaptureReader::LineResult CaptureReader::TimingLine(std::string_view rest) {
  if (sawTiming_) return Fail("a second 'timing' line");
  if (sawData_) return Fail("the 'timing' line must come before the data");
  if (rest == "ticks") {
    timing_ = CaptureTiming::Ticks;
  } else if (rest == "arrival") {
    timing_ = CaptureTiming::Arrival;
  } else {
    return Fail("expected 'timing ticks' or 'timing arrival'");
  }
  sawTiming_ = true;
  return LineResult::Skip;
}

namespace {

std::string TooLargeWords() {
  return "time too large (at most " + std::to_string(kMaxCaptureMs) + " ms)";
}

// Whether `text` is all digits, a time however large.
bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The whole of `text` as a time in ms within a capture's range.
std::optional<std::int64_t> TimeOnly(std::string_view text) {
  std::int64_t ms = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), ms);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || ms < 0 ||
      ms > kMaxCaptureMs) {
    return std::nullopt;
  }
  return ms;
}

}  // namespace

CaptureReader::LineResult CaptureReader::EndLine(std::string_view rest) {
  const std::optional<std::int64_t> ms = TimeOnly(rest);
  if (!ms) return Fail(AllDigits(rest) ? TooLargeWords() : "expected 'end <ms>'");
  if (*ms < lastMs_) return Fail("the end is earlier than the last data line");
  endMs_ = *ms;
  return LineResult::Skip;
}

CaptureReader::LineResult CaptureReader::TickLine(std::string_view rest, CaptureLine& out) {
  const std::optional<std::int64_t> ms = TimeOnly(rest);
  if (!ms) return Fail(AllDigits(rest) ? TooLargeWords() : "expected 'tick <ms>'");
  if (*ms < lastMs_) {
    return Fail("time " + std::to_string(*ms) + " ms is earlier than the line before (" +
                std::to_string(lastMs_) + " ms)");
  }
  out.TimeMs = *ms;
  out.Bytes.clear();
  lastMs_ = *ms;
  sawData_ = true;
  return LineResult::Data;
}

CaptureReader::LineResult CaptureReader::DataLine(std::string_view text, CaptureLine& out) {
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
    ++digits;
  if (digits == 0) {
    return Fail("expected '<ms> <hex bytes>', found " + Shown(text.front()) + " at the start");
  }
  if (digits > 13) return Fail(TooLargeWords());
  std::int64_t ms = 0;
  std::from_chars(text.data(), text.data() + digits, ms);
  if (ms > kMaxCaptureMs) {
    return Fail(TooLargeWords());
  }
  if (ms < lastMs_) {
    return Fail("time " + std::to_string(ms) + " ms is earlier than the line before (" +
                std::to_string(lastMs_) + " ms)");
  }
  std::string_view rest = text.substr(digits);
  if (rest.empty()) return Fail("no hex bytes after the time");
  if (rest.front() != ' ' && rest.front() != '\t') {
    return Fail("expected a blank after the time, found " + Shown(rest.front()));
  }
  out.Bytes.clear();
  if (!HexBytes(Trim(rest), out.Bytes)) return LineResult::Stop;
  out.TimeMs = ms;
  lastMs_ = ms;
  sawData_ = true;
  return LineResult::Data;
}

bool CaptureReader::HexBytes(std::string_view hex, std::vector<std::uint8_t>& bytes) {
  if (hex.empty()) {
    Fail("no hex bytes after the time");
    return false;
  }
  std::size_t i = 0;
  while (i < hex.size()) {
    if (hex[i] == ' ') {
      if (i + 1 < hex.size() && hex[i + 1] == ' ') {
        Fail("two blanks between hex bytes");
        return false;
      }
      ++i;
      continue;
    }
    const int high = HexValue(hex[i]);
    if (high < 0) {
      Fail("not a hex digit: " + Shown(hex[i]));
      return false;
    }
    if (i + 1 >= hex.size() || hex[i + 1] == ' ') {
      Fail("odd number of hex digits (bytes are written as digit pairs)");
      return false;
    }
    const int low = HexValue(hex[i + 1]);
    if (low < 0) {
      Fail("not a hex digit: " + Shown(hex[i + 1]));
      return false;
    }
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    i += 2;
  }
  return true;
}

std::optional<CaptureLine> CaptureReader::Salvage(std::string_view text) {
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
    ++digits;
  // A time cut short, or no blank after it: nothing of the line is sure.
  if (digits == 0 || digits > 13 || digits == text.size() || text[digits] != ' ') {
    return std::nullopt;
  }
  std::int64_t ms = 0;
  std::from_chars(text.data(), text.data() + digits, ms);
  if (ms < lastMs_ || ms > kMaxCaptureMs) return std::nullopt;
  CaptureLine out;
  out.TimeMs = ms;
  for (std::size_t i = digits; i + 2 <= text.size();) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    const int high = HexValue(text[i]);
    const int low = HexValue(text[i + 1]);
    if (high < 0 || low < 0) break;
    out.Bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    i += 2;
  }
  if (out.Bytes.empty()) return std::nullopt;
  lastMs_ = ms;
  return out;
}

std::optional<LocalDateTime> ParseDateTime(const std::string& text) {
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':') {
    return std::nullopt;
  }
  const auto year = FixedNumber(text, 0, 4), month = FixedNumber(text, 5, 2),
             day = FixedNumber(text, 8, 2), hour = FixedNumber(text, 11, 2),
             minute = FixedNumber(text, 14, 2), second = FixedNumber(text, 17, 2);
  if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
  if (*year < 1 || *month < 1 || *month > 12 || *day < 1 || *day > DaysInMonth(*year, *month) ||
      *hour > 23 || *minute > 59 || *second > 59) {
    return std::nullopt;
  }
  return LocalDateTime{*year, *month, *day, *hour, *minute, *second, 0};
}

bool IsGzipPath(const std::string& path) {
  if (path.size() < 3) return false;
  const std::string tail = path.substr(path.size() - 3);
  return tail == ".gz" || tail == ".GZ" || tail == ".Gz" || tail == ".gZ";
}

namespace {

CaptureResult ReadAll(CaptureReader& reader) {
  CaptureResult result;
  Capture& c = result.Data;
  while (std::optional<CaptureLine> line = reader.Next()) {
    c.Bytes.insert(c.Bytes.end(), line->Bytes.begin(), line->Bytes.end());
    c.Chunks.push_back(CaptureChunk{line->TimeMs, c.Bytes.size()});
    c.LastTimeMs = line->TimeMs;
  }
  c.Start = reader.Start();
  c.Timing = reader.Timing();
  c.EndMs = reader.EndMs();
  c.CutShort = reader.CutShort();
  result.Error = reader.Error();
  return result;
}

}  // namespace

CaptureResult ParseCapture(std::istream& in, const std::string& fileName) {
  CaptureReader reader(std::make_unique<StreamText>(in), fileName);
  return ReadAll(reader);
}

CaptureResult ReadCaptureFile(const std::string& path) {
  CaptureError error;
  const std::unique_ptr<CaptureReader> reader = CaptureReader::Open(path, error);
  if (!reader) {
    CaptureResult result;
    result.Error = error;
    return result;
  }
  return ReadAll(*reader);
}

std::function<std::optional<CaptureLine>()> LinesOf(const Capture& capture) {
  return [&capture, next = std::size_t{0}]() mutable -> std::optional<CaptureLine> {
    if (next >= capture.Chunks.size()) return std::nullopt;
    const std::size_t from = next == 0 ? 0 : capture.Chunks[next - 1].End;
    CaptureLine line;
    line.TimeMs = capture.Chunks[next].TimeMs;
    line.Bytes.assign(
        capture.Bytes.begin() + static_cast<std::ptrdiff_t>(from),
        capture.Bytes.begin() + static_cast<std::ptrdiff_t>(capture.Chunks[next].End));
    ++next;
    return line;
  };
}

}  // namespace ptpdiag
