#include "files/radio_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <random>
#include <system_error>
#include <utility>

#include "platform/durable_file.h"
#include "state/nearest.h"

namespace ptpdiag {
namespace {

namespace fs = std::filesystem;

constexpr char kEndOfFile = '\x1a';
constexpr std::size_t kShortestRecord = 10;
constexpr std::string_view kAddressLabel = "IP ADDRESS ";
constexpr std::string_view kPortLabel = "PORT NUMBER";
constexpr std::uint32_t kLargestSerial = 99999999;
constexpr unsigned kLargestRepeater = 99;

// Splits the bytes before the first Ctrl-Z into lines by the file's rules.
class LineReader {
 public:
  explicit LineReader(std::string_view bytes) : rest_(bytes.substr(0, bytes.find(kEndOfFile))) {}

  // The next line without its end; nothing once the bytes are used up.
  std::optional<std::string_view> Next() {
    if (rest_.empty()) return std::nullopt;
    const std::size_t cr = rest_.find('\r');
    if (cr == std::string_view::npos) return std::exchange(rest_, std::string_view{});
    const std::string_view line = rest_.substr(0, cr);
    std::size_t skip = cr + 1;
    if (skip < rest_.size() && rest_[skip] == '\n') ++skip;
    rest_.remove_prefix(skip);
    return line;
  }

 private:
  std::string_view rest_;
};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::size_t SkipDigits(std::string_view text, std::size_t i) {
  while (i < text.size() && IsDigit(text[i]))
    ++i;
  return i;
}

// The address and port lines, when the file starts with them; returns the
// first line that is not one of them ("" past the end).
std::string_view ReadHeader(LineReader& lines, RadioFileContents& contents) {
  std::string_view line = lines.Next().value_or("");
  if (!line.starts_with(kAddressLabel)) return line;
  contents.Address = std::string(line.substr(kAddressLabel.size()));
  line = lines.Next().value_or("");
  if (!line.starts_with(kPortLabel)) return line;
  // From character 12 on: the blank Save writes after the label joins the port.
  contents.Port = std::string(line.substr(kPortLabel.size()));
  return lines.Next().value_or("");
}

void AppendRightAligned(std::string& out, std::uint32_t value, std::size_t width) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  const auto length = static_cast<std::size_t>(end - digits);
  if (length < width) out.append(width - length, ' ');
  out.append(digits, length);
}

// CR and Ctrl-Z would end the line or the file early when read back.
bool BreaksLine(std::string_view text) {
  return text.find_first_of(std::string_view("\r\x1a", 2)) != std::string_view::npos;
}

std::string CannotHoldBreak(std::string_view what) {
  return std::string(what) +
         " has a CR or Ctrl-Z byte in it, which a radio file cannot hold; nothing was saved.";
}

std::optional<std::string> RefusalFor(const RadioList& list, int n) {
  const auto i = static_cast<std::size_t>(n);
  const std::string radio = "Radio " + std::to_string(n);
  if (list.RadioSerial[i] > kLargestSerial)
    return radio + " has serial number " + std::to_string(list.RadioSerial[i]) +
           ", more than the 8 digits a radio file holds; nothing was saved.";
  if (list.RadioRepeaterNumber[i] > kLargestRepeater)
    return radio + " has repeater number " + std::to_string(list.RadioRepeaterNumber[i]) +
           ", more than the 2 digits a radio file holds; nothing was saved.";
  if (BreaksLine(std::string_view(list.RadioName[i].data(), list.RadioName[i].size())))
    return CannotHoldBreak(radio + "'s name");
  return std::nullopt;
}

void AppendRecord(std::string& out, const RadioList& list, std::size_t i) {
  AppendRightAligned(out, list.RadioSerial[i], 8);
  out += ' ';
  AppendRightAligned(out, list.RadioRepeaterNumber[i], 2);
  out += ' ';
  out.append(list.RadioName[i].data(), list.RadioName[i].size());
  out += "\r\n";
}

std::string SystemReason(int error) {
  return std::generic_category().message(error);
}

std::string CannotSave(const std::string& path, const std::string& reason) {
  return "Could not save \"" + path + "\": " + reason + ".";
}

// Creates a new, uniquely named file beside `target`; sets `error` when it
// cannot.
// ".NAME.<16 hex digits>.tmp": the temporary file a save of NAME writes.
fs::path TemporaryName(const fs::path& target, std::uint64_t tag) {
  char text[20];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(tag));
  return target.parent_path() / ("." + target.filename().string() + "." + text + ".tmp");
}

bool IsTemporaryOf(const fs::path& candidate, const fs::path& target) {
  const std::string name = candidate.filename().string();
  const std::string prefix = "." + target.filename().string() + ".";
  if (name.size() != prefix.size() + 16 + 4 || name.rfind(prefix, 0) != 0 ||
      name.substr(name.size() - 4) != ".tmp") {
    return false;
  }
  const std::string tag = name.substr(prefix.size(), 16);
  return tag.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// Temporary files an interrupted save of the same file left behind.
void RemoveLeftovers(const fs::path& target) {
  std::error_code ec;
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    std::error_code ignored;
    if (IsTemporaryOf(entry.path(), target) && entry.is_regular_file(ignored)) {
      fs::remove(entry.path(), ignored);
    }
  }
}

std::FILE* CreateBeside(const fs::path& target, fs::path& created, std::string& error) {
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 16; ++attempt) {
    created = TemporaryName(target, random());
    errno = 0;
    if (std::FILE* file = std::fopen(created.string().c_str(), "wbx")) return file;
    if (errno != EEXIST) break;
  }
  error = SystemReason(errno == 0 ? EIO : errno);
  return nullptr;
}

// Writes, flushes to the disk and closes `file`; the reason when any step
// fails.
std::optional<std::string> WriteAndClose(std::FILE* file, std::string_view bytes) {
  errno = 0;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = ok && std::fflush(file) == 0 && SyncToDisk(file);
  int error = errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok) return std::nullopt;
  return SystemReason(error == 0 ? EIO : error);
}

void CopyPermissions(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  const fs::file_status status = fs::status(from, ec);
  if (!ec && fs::is_regular_file(status)) fs::permissions(to, status.permissions(), ec);
}

std::string SizeText(std::size_t bytes) {
  constexpr std::size_t kMegabyte = 1024 * 1024;
  if (bytes >= kMegabyte && bytes % kMegabyte == 0)
    return std::to_string(bytes / kMegabyte) + " MB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

double LeadingNumber(std::string_view field) {
  std::size_t i = field.find_first_not_of(std::string_view(" \t\n", 3));
  if (i == std::string_view::npos) return 0.0;
  const bool negative = field[i] == '-';
  if (negative || field[i] == '+') ++i;
  const std::size_t start = i;
  std::size_t end = SkipDigits(field, i);
  bool anyDigit = end > start;
  if (end < field.size() && field[end] == '.') {
    const std::size_t fractionEnd = SkipDigits(field, end + 1);
    anyDigit = anyDigit || fractionEnd > end + 1;
    end = fractionEnd;
  }
  if (!anyDigit) return 0.0;
  double value = 0.0;
  const auto [ptr, ec] =
      std::from_chars(field.data() + start, field.data() + end, value, std::chars_format::fixed);
  if (ec == std::errc::result_out_of_range) {
    // Too large for a double when the integer part is not 0, else too small.
    const std::string_view number = field.substr(start, end - start);
    const std::string_view integerPart = number.substr(0, number.find('.'));
    const bool large = integerPart.find_first_not_of('0') != std::string_view::npos;
    value = large ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (ec != std::errc{} || ptr != field.data() + end) {
    return 0.0;
  }
  return negative ? -value : value;
}

std::uint32_t RoundSerial(double value) {
  if (std::isnan(value)) return 0;
  const double rounded = std::nearbyint(value);
  if (rounded <= 0.0) return 0;
  if (rounded >= 4294967295.0) return 4294967295U;
  return static_cast<std::uint32_t>(rounded);
}

RadioRecord ParseRecord(std::string_view line) {
  RadioRecord record;
  record.Serial = RoundSerial(LeadingNumber(line.substr(0, 8)));
  // Modulo 256 of the rounded value: the unsigned conversion wraps.
  const std::int32_t repeater =
      Nearest(LeadingNumber(line.substr(std::min<std::size_t>(8, line.size()), 3)));
  record.Repeater = static_cast<std::uint8_t>(static_cast<std::uint32_t>(repeater) & 0xFFU);
  std::string_view name;
  if (line.size() > 20)
    name = line.substr(12, 8);
  else if (line.size() > 11)
    name = line.substr(12);
  std::copy(name.begin(), name.end(), record.Name.begin());
  return record;
}

RadioFileContents ParseRadioFile(std::string_view bytes, std::size_t capacity) {
  RadioFileContents contents;
  LineReader lines(bytes);
  std::optional<std::string_view> line = ReadHeader(lines, contents);
  for (; line && line->size() >= kShortestRecord; line = lines.Next()) {
    if (contents.Records.size() < capacity)
      contents.Records.push_back(ParseRecord(*line));
    else
      ++contents.RecordsNotLoaded;
  }
  return contents;
}

std::variant<std::string, RadioFileRefusal> FormatRadioFile(std::string_view address,
                                                            std::string_view port,
                                                            const RadioList& list) {
  if (BreaksLine(address)) return RadioFileRefusal{CannotHoldBreak("The IP address")};
  if (BreaksLine(port)) return RadioFileRefusal{CannotHoldBreak("The port number")};
  std::string text;
  if (!address.empty()) {
    text.append(kAddressLabel).append(address).append("\r\n");
    // A port read back from a file keeps the blank after the label; it is
    // not written twice, or each Open and Save would add one.
    if (!port.empty()) {
      text.append(kPortLabel).append(port.front() == ' ' ? "" : " ").append(port).append("\r\n");
    }
  }
  const int count = std::clamp<int>(list.RadioCount, 0, static_cast<int>(kRadioCapacity));
  for (int n = 1; n <= count; ++n) {
    if (std::optional<std::string> refusal = RefusalFor(list, n)) return RadioFileRefusal{*refusal};
    AppendRecord(text, list, static_cast<std::size_t>(n));
  }
  return text;
}

FileReadResult ReadWholeFile(const std::string& path, std::size_t limit) {
  FileReadResult result;
  // Windows refuses to open a folder as "permission denied"; say what it is.
  std::error_code ignored;
  const fs::file_status status = fs::status(path, ignored);
  if (fs::is_directory(status)) {
    result.Error = "Could not read \"" + path + "\": " + SystemReason(EISDIR) + ".";
    return result;
  }
  // Nothing there is not opened: Windows opens its devices (COM1, NUL)
  // by those names, which no directory lists.
  if (status.type() == fs::file_type::not_found) {
    result.Error = "Could not read \"" + path + "\": " + SystemReason(ENOENT) + ".";
    return result;
  }
  // A FIFO would wait for a writer and a device never end: files only.
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    result.Error = "Could not read \"" + path + "\": it is not a regular file (a pipe, device or socket).";
    return result;
  }
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    result.Error =
        "Could not read \"" + path + "\": " + SystemReason(errno == 0 ? EIO : errno) + ".";
    return result;
  }
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && result.Bytes.size() <= limit)
    result.Bytes.append(buffer, std::min(got, limit + 1 - result.Bytes.size()));
  const int error = std::ferror(file) != 0 ? (errno == 0 ? EIO : errno) : 0;
  std::fclose(file);
  if (error != 0)
    result.Error = "Could not read \"" + path + "\": " + SystemReason(error) + ".";
  else if (result.Bytes.size() > limit)
    result.Error = "Could not read \"" + path + "\": it is larger than " + SizeText(limit) +
                   ", too large for a radio file.";
  if (!result.Error.empty()) result.Bytes.clear();
  return result;
}

std::optional<std::string> WriteFileReplacing(const std::string& path, std::string_view bytes) {
  const fs::path target(path);
  RemoveLeftovers(target);
  fs::path temporary;
  std::string reason;
  std::FILE* file = CreateBeside(target, temporary, reason);
  if (file == nullptr) return CannotSave(path, reason);
  std::optional<std::string> failed = WriteAndClose(file, bytes);
  if (!failed) {
    CopyPermissions(target, temporary);
    failed = ReplaceDurably(temporary.string(), target.string());
  }
  if (!failed) return std::nullopt;
  std::error_code ignored;
  fs::remove(temporary, ignored);
  return CannotSave(path, *failed);
}

}  // namespace ptpdiag
