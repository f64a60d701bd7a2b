// Command lines as a table: each option one entry (its name, the name of
// its value, its help, what it does), from which both the parsing and the
// --help text come. GNU style: "--name value", "--name=value", "--flag".
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ptpdiag {

// One option of a program. `Value` names its value ("FILE"); empty for a
// switch. `Help` is printed beside the name, a line per '\n'. `Heading`,
// when not empty, starts a group of options in --help.
template <typename Parsed>
struct OptionEntry {
  std::string_view Name;
  std::string_view Value;
  std::string_view Help;
  std::optional<std::string> (*Apply)(std::string_view value, Parsed& parsed);
  std::string_view Heading = {};
};

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

// "  --name VALUE" padded to `column`, the help beside it (under it when the
// name is longer), its further lines indented to `column`.
void AppendOptionHelp(std::string& out, std::string_view name, std::string_view value,
                      std::string_view help, std::size_t column);

// Applies `args` to `parsed` by `table` ("-h" is "--help"); the first
// error line, if any. `seen`, when given, gets each option's name in order.
template <typename Parsed>
[[nodiscard]] std::optional<std::string> ParseByTable(std::span<const OptionEntry<Parsed>> table,
                                        std::span<const std::string_view> args, Parsed& parsed,
                                        std::vector<std::string_view>* seen = nullptr) {
  const auto find = [table](std::string_view name) -> const OptionEntry<Parsed>* {
    if (name == "-h") name = "--help";
    for (const OptionEntry<Parsed>& entry : table) {
      if (entry.Name == name) return &entry;
    }
    return nullptr;
  };
  const auto takesValue = [&find](std::string_view name) {
    const OptionEntry<Parsed>* entry = find(name);
    return entry != nullptr && !entry->Value.empty();
  };
  return WalkOptions(args, takesValue,
                     [&](std::string_view name,
                         std::optional<std::string_view> value) -> std::optional<std::string> {
                       const OptionEntry<Parsed>* entry = find(name);
                       if (entry == nullptr || (entry->Value.empty() && value)) {
                         return UnknownOption(value ? std::string(name) + "=" + std::string(*value)
                                                    : std::string(name));
                       }
                       if (seen != nullptr) seen->push_back(entry->Name);
                       return entry->Apply(value.value_or(""), parsed);
                     });
}

// The option lines of --help, group by group.
template <typename Parsed>
std::string OptionsHelp(std::span<const OptionEntry<Parsed>> table, std::size_t column) {
  std::string out;
  for (const OptionEntry<Parsed>& entry : table) {
    if (!entry.Heading.empty()) {
      out += "\n";
      out += entry.Heading;
      out += "\n";
    }
    AppendOptionHelp(out, entry.Name, entry.Value, entry.Help, column);
  }
  return out;
}

}  // namespace ptpdiag
