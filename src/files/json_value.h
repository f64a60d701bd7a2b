// A small JSON reader for the files a user writes by hand (limits,
// alarm rules): the whole text into values, or one error naming the line
// and column. Bounded: at most 64 levels deep, so a hostile file cannot
// exhaust the stack.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace ptpdiag::json {

struct Value;
struct Member;
using Array = std::vector<Value>;
// In the file's order. A struct of its own rather than a pair, which some
// standard libraries will not take before Value is complete.
using Object = std::vector<Member>;

struct Value {
  std::variant<std::nullptr_t, bool, double, std::string, Array, Object> Data;

  bool IsNull() const { return std::holds_alternative<std::nullptr_t>(Data); }
  const double* Number() const { return std::get_if<double>(&Data); }
  const std::string* Text() const { return std::get_if<std::string>(&Data); }
  const bool* Flag() const { return std::get_if<bool>(&Data); }
  const Array* Items() const { return std::get_if<Array>(&Data); }
  const Object* Members() const { return std::get_if<Object>(&Data); }
  // The member `key` of an object; null when absent or not an object.
  const Value* Member(std::string_view key) const;
};

struct Member {
  std::string Key;
  Value Val;
};

struct ParseResult {
  std::optional<Value> Root;
  std::string Error;  // "line 3, column 7: ..." when Root is empty
};

ParseResult Parse(std::string_view text);

}  // namespace ptpdiag::json
