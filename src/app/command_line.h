// Walking GNU-style command lines: "--name value", "--name=value", "--flag".
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ptpdiag {

// Handles one option; returns an error line, or nothing when it is fine.
// `value` is set for options that take one, and for "--flag=x" spellings.
using OptionHandler = std::function<std::optional<std::string>(
    std::string_view name, std::optional<std::string_view> value)>;

// Calls `handle` for each option in order and stops at the first error.
// Options for which `takesValue` is true get their value from "=value" or
// from the next argument ("NAME needs a value" when there is none).
std::optional<std::string> WalkOptions(std::span<const std::string_view> args,
                                       const std::function<bool(std::string_view)>& takesValue,
                                       const OptionHandler& handle);

// "unknown option 'X' (try --help)".
std::string UnknownOption(std::string_view argument);

}  // namespace ptpdiag
