#include "link/capture_file.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
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

class Parser {
 public:
  explicit Parser(std::string fileName) : file_(std::move(fileName)) {}

  bool Line(std::string_view raw, int number) {
    line_ = number;
    const std::string_view text = Trim(raw);
    if (text.empty() || text.front() == '#') return true;
    if (text.substr(0, 5) == "start" && (text.size() == 5 || text[5] == ' ' || text[5] == '\t')) {
      return StartLine(Trim(text.substr(5)));
    }
    return DataLine(text);
  }

  CaptureResult Finish() { return std::move(result_); }
  bool Fail(std::string message) {
    result_.Error = CaptureError{file_, line_, std::move(message)};
    return false;
  }

 private:
  bool StartLine(std::string_view rest) {
    if (sawStart_) return Fail("a second 'start' line");
    if (!result_.Data.Chunks.empty()) return Fail("the 'start' line must come before the data");
    const auto when = ParseDateTime(std::string(rest));
    if (!when) return Fail("expected 'start YYYY-MM-DD HH:MM:SS' with a valid date and time");
    result_.Data.Start = *when;
    sawStart_ = true;
    return true;
  }

  bool DataLine(std::string_view text) {
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
      ++digits;
    if (digits == 0) {
      return Fail("expected '<ms> <hex bytes>', found " + Shown(text.front()) + " at the start");
    }
    if (digits > 13)
      return Fail("time too large (at most " + std::to_string(kMaxCaptureMs) + " ms)");
    std::int64_t ms = 0;
    std::from_chars(text.data(), text.data() + digits, ms);
    if (ms > kMaxCaptureMs)
      return Fail("time too large (at most " + std::to_string(kMaxCaptureMs) + " ms)");
    if (ms < result_.Data.LastTimeMs) {
      return Fail("time " + std::to_string(ms) + " ms is earlier than the line before (" +
                  std::to_string(result_.Data.LastTimeMs) + " ms)");
    }
    std::string_view rest = text.substr(digits);
    if (rest.empty()) return Fail("no hex bytes after the time");
    if (rest.front() != ' ' && rest.front() != '\t') {
      return Fail("expected a blank after the time, found " + Shown(rest.front()));
    }
    if (!HexBytes(Trim(rest))) return false;
    result_.Data.LastTimeMs = ms;
    result_.Data.Chunks.push_back(CaptureChunk{ms, result_.Data.Bytes.size()});
    return true;
  }

  bool HexBytes(std::string_view hex) {
    if (hex.empty()) return Fail("no hex bytes after the time");
    std::vector<std::uint8_t>& bytes = result_.Data.Bytes;
    std::size_t i = 0;
    while (i < hex.size()) {
      if (hex[i] == ' ') {
        if (i + 1 < hex.size() && hex[i + 1] == ' ') return Fail("two blanks between hex bytes");
        ++i;
        continue;
      }
      const int high = HexValue(hex[i]);
      if (high < 0) return Fail("not a hex digit: " + Shown(hex[i]));
      if (i + 1 >= hex.size() || hex[i + 1] == ' ') {
        return Fail("odd number of hex digits (bytes are written as digit pairs)");
      }
      const int low = HexValue(hex[i + 1]);
      if (low < 0) return Fail("not a hex digit: " + Shown(hex[i + 1]));
      bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
      i += 2;
    }
    return true;
  }

  CaptureResult result_;
  std::string file_;
  int line_ = 0;
  bool sawStart_ = false;
};

}  // namespace

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

CaptureResult ParseCapture(std::istream& in, const std::string& fileName) {
  Parser parser(fileName);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    if (!parser.Line(line, ++number)) return parser.Finish();
  }
  if (in.bad()) parser.Fail("read error");
  return parser.Finish();
}

CaptureResult ReadCaptureFile(const std::string& path) {
  CaptureResult result;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    result.Error = CaptureError{path, 0, "is a directory, not a capture file"};
    return result;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    result.Error = CaptureError{path, 0, "cannot open the capture file"};
    return result;
  }
  return ParseCapture(in, path);
}

}  // namespace ptpdiag
