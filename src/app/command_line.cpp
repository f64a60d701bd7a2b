#include "app/command_line.h"

#include <algorithm>

namespace ptpdiag {

std::optional<std::string> WalkOptions(std::span<const std::string_view> args,
                                       const std::function<bool(std::string_view)>& takesValue,
                                       const OptionHandler& handle) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view name = args[i];
    std::optional<std::string_view> value;
    if (const std::size_t eq = name.find('=');
        name.starts_with("--") && eq != std::string_view::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    if (takesValue(name) && !value) {
      if (i + 1 >= args.size()) {
        std::string error(name);
        error += " needs a value";
        return error;
      }
      value = args[++i];
    }
    if (auto error = handle(name, value)) return error;
  }
  return std::nullopt;
}

std::string UnknownOption(std::string_view argument) {
  std::string error = "unknown option '";
  error += argument;
  error += "' (try --help)";
  return error;
}

}  // namespace ptpdiag

namespace ptpdiag {

void AppendOptionHelp(std::string& out, std::string_view name, std::string_view value,
                      std::string_view help, std::size_t column) {
  std::string head = "  ";
  head += name;
  if (!value.empty()) {
    head += ' ';
    head += value;
  }
  const std::string indent(column, ' ');
  if (head.size() >= column) {
    out += head;
    out += '\n';
    head = indent;
  } else {
    head.resize(column, ' ');
  }
  for (std::size_t start = 0; start <= help.size();) {
    const std::size_t end = std::min(help.find('\n', start), help.size());
    out += head;
    out += help.substr(start, end - start);
    out += '\n';
    head = indent;
    start = end + 1;
  }
}

}  // namespace ptpdiag
