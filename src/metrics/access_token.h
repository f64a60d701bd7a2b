// The web view's token: asked for on every request when one is set, read
// from the query (?token=...) or an "Authorization: Bearer" header, and
// compared in a time that tells nothing of where it differs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ptpdiag {

struct HttpRequest;

inline constexpr std::size_t kMinTokenLength = 16;
inline constexpr std::size_t kMaxTokenLength = 128;

// Why `token` cannot be one (letters, digits, '-' and '_', 16 to 128 of
// them, so that it goes into a URL as it is); nothing when it can.
std::optional<std::string> TokenProblem(std::string_view token);

// 32 letters and digits from the system's random source.
std::string RandomToken();

// Whether `given` is `expected`, in a time that depends on `expected`'s
// length only.
bool SameToken(std::string_view given, std::string_view expected);

// The token the request carries; empty when none.
std::string TokenOf(const HttpRequest& request);

}  // namespace ptpdiag
