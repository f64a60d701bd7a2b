// Pieces of the report's JSON that both builds write byte for byte alike.
#pragma once

#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace ptpdiag::json {

// The shortest text that reads back as the same double, so both builds
// write the same bytes.
inline std::string Real(double value) {
  char text[64];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return error == std::errc() ? std::string(text, end) : "null";
}

// A JSON string of `text`: quotes, backslashes and control characters
// escaped; other bytes as they stand.
inline std::string Text(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

template <typename T>
inline std::string Maybe(const std::optional<T>& value) {
  if (!value) return "null";
  if constexpr (std::is_floating_point_v<T>) {
    return Real(*value);
  } else {
    return std::to_string(*value);
  }
}

class Fields {
 public:
  void Add(std::string_view key, const std::string& value) {
    text_ += first_ ? "{" : ", ";
    first_ = false;
    text_ += '"';
    text_ += key;
    text_ += "\": ";
    text_ += value;
  }
  std::string Close() { return text_ + "}"; }

 private:
  std::string text_;
  bool first_ = true;
};

}  // namespace ptpdiag::json
