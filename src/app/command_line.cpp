#include "app/command_line.h"

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
