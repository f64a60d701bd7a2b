#include "files/json_value.h"

#include <charconv>
#include <cmath>
#include <set>

namespace ptpdiag::json {
namespace {

constexpr int kMaxDepth = 64;
constexpr std::size_t kMaxText = 1 << 20;

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  ParseResult Run() {
    ParseResult result;
    Value root;
    SkipSpace();
    if (ReadValue(root, 0)) {
      SkipSpace();
      if (at_ == text_.size()) {
        result.Root = std::move(root);
        return result;
      }
      Fail("something follows the end of the document");
    }
    result.Error = Where() + error_;
    return result;
  }

 private:
  bool Fail(std::string what) {
    if (error_.empty()) error_ = std::move(what);
    return false;
  }

  std::string Where() const {
    int line = 1, column = 1;
    for (std::size_t i = 0; i < at_ && i < text_.size(); ++i) {
      if (text_[i] == '\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
  }

  void SkipSpace() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' ||
                                  text_[at_] == '\r')) {
      ++at_;
    }
  }

  bool Take(char c) {
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  bool Word(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  bool ReadValue(Value& out, int depth) {
    if (depth >= kMaxDepth) return Fail("nested more than 64 deep");
    if (at_ >= text_.size()) return Fail("the document ends where a value should be");
    const char c = text_[at_];
    if (c == '{') return ReadObject(out, depth);
    if (c == '[') return ReadArray(out, depth);
    if (c == '"') {
      std::string s;
      if (!ReadString(s)) return false;
      out.Data = std::move(s);
      return true;
    }
    if (Word("true")) {
      out.Data = true;
      return true;
    }
    if (Word("false")) {
      out.Data = false;
      return true;
    }
    if (Word("null")) {
      out.Data = nullptr;
      return true;
    }
    return ReadNumber(out);
  }

  bool ReadNumber(Value& out) {
    const std::size_t start = at_;
    if (Take('-')) {}
    if (Take('0')) {
    } else if (!Digits()) {
      return Fail("a value should be here (a number, string, object, array, true, false or null)");
    }
    if (Take('.') && !Digits()) return Fail("a digit should follow the decimal point");
    if ((Take('e') || Take('E'))) {
      if (!Take('+')) Take('-');
      if (!Digits()) return Fail("a digit should follow the exponent");
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text_.data() + start, text_.data() + at_, value);
    if (error != std::errc() || end != text_.data() + at_ || !std::isfinite(value)) {
      at_ = start;
      return Fail("the number is out of range");
    }
    out.Data = value;
    return true;
  }

  bool Digits() {
    const std::size_t start = at_;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
    return at_ > start;
  }

  bool Hex4(unsigned& code) {
    if (text_.size() - at_ < 4) return Fail("\\u wants four hex digits");
    code = 0;
    for (int i = 0; i < 4; ++i) {
      const char h = text_[at_++];
      code <<= 4;
      if (h >= '0' && h <= '9') code |= static_cast<unsigned>(h - '0');
      else if (h >= 'a' && h <= 'f') code |= static_cast<unsigned>(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F') code |= static_cast<unsigned>(h - 'A' + 10);
      else return Fail("\\u wants four hex digits");
    }
    return true;
  }

  static void AppendUtf8(std::string& s, unsigned code) {
    if (code < 0x80) {
      s += static_cast<char>(code);
    } else if (code < 0x800) {
      s += static_cast<char>(0xC0 | (code >> 6));
      s += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      s += static_cast<char>(0xE0 | (code >> 12));
      s += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      s += static_cast<char>(0xF0 | (code >> 18));
      s += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      s += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  bool ReadEscape(std::string& s) {
    if (at_ >= text_.size()) return Fail("the text ends inside a string");
    const char e = text_[at_++];
    switch (e) {
      case '"': s += '"'; return true;
      case '\\': s += '\\'; return true;
      case '/': s += '/'; return true;
      case 'b': s += '\b'; return true;
      case 'f': s += '\f'; return true;
      case 'n': s += '\n'; return true;
      case 'r': s += '\r'; return true;
      case 't': s += '\t'; return true;
      case 'u': break;
      default: --at_; return Fail("unknown escape in a string");
    }
    unsigned code = 0;
    if (!Hex4(code)) return false;
    if (code >= 0xD800 && code <= 0xDBFF) {
      unsigned low = 0;
      if (!Word("\\u") || !Hex4(low) || low < 0xDC00 || low > 0xDFFF) {
        return Fail("a lone surrogate in a \\u escape");
      }
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    } else if (code >= 0xDC00 && code <= 0xDFFF) {
      return Fail("a lone surrogate in a \\u escape");
    }
    AppendUtf8(s, code);
    return true;
  }

  bool ReadString(std::string& s) {
    ++at_;  // the opening quote
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '"') {
        ++at_;
        return true;
      }
      if (static_cast<unsigned char>(c) < 0x20) return Fail("a control character inside a string");
      ++at_;
      if (c == '\\') {
        if (!ReadEscape(s)) return false;
      } else {
        s += c;
      }
    }
    return Fail("the text ends inside a string");
  }

  bool ReadArray(Value& out, int depth) {
    ++at_;
    Array items;
    SkipSpace();
    if (!Take(']')) {
      do {
        SkipSpace();
        items.emplace_back();
        if (!ReadValue(items.back(), depth + 1)) return false;
        SkipSpace();
      } while (Take(','));
      if (!Take(']')) return Fail("',' or ']' should be here");
    }
    out.Data = std::move(items);
    return true;
  }

  bool ReadObject(Value& out, int depth) {
    ++at_;
    Object members;
    std::set<std::string> names;
    SkipSpace();
    if (!Take('}')) {
      do {
        SkipSpace();
        if (at_ >= text_.size() || text_[at_] != '"') return Fail("a member's name in quotes should be here");
        const std::size_t keyAt = at_;
        std::string key;
        if (!ReadString(key)) return false;
        if (!names.insert(key).second) {
          at_ = keyAt;
          return Fail("the member \"" + key + "\" is given twice");
        }
        SkipSpace();
        if (!Take(':')) return Fail("':' should follow a member's name");
        SkipSpace();
        members.push_back({std::move(key), Value{}});
        if (!ReadValue(members.back().Val, depth + 1)) return false;
        SkipSpace();
      } while (Take(','));
      if (!Take('}')) return Fail("',' or '}' should be here");
    }
    out.Data = std::move(members);
    return true;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::string error_;
};

}  // namespace

const Value* Value::Member(std::string_view key) const {
  const Object* members = Members();
  if (!members) return nullptr;
  for (const auto& [name, value] : *members) {
    if (name == key) return &value;
  }
  return nullptr;
}

ParseResult Parse(std::string_view text) {
  if (text.size() > kMaxText) return {std::nullopt, "larger than 1 MiB; not a file of settings"};
  return Parser(text).Run();
}

}  // namespace ptpdiag::json
