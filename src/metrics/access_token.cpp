#include "metrics/access_token.h"

#include <random>

#include "metrics/http_request.h"

namespace ptpdiag {
namespace {

constexpr std::string_view kTokenLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

bool IsTokenLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_';
}

}  // namespace

std::optional<std::string> TokenProblem(std::string_view token) {
  if (token.size() < kMinTokenLength || token.size() > kMaxTokenLength)
    return "a token has 16 to 128 characters";
  for (const char c : token) {
    if (!IsTokenLetter(c)) return "a token holds letters, digits, '-' and '_' only";
  }
  return std::nullopt;
}

std::string RandomToken() {
  std::random_device source;
  std::uniform_int_distribution<std::size_t> pick(0, kTokenLetters.size() - 1);
  std::string token;
  for (int i = 0; i < 32; ++i)
    token += kTokenLetters[pick(source)];
  return token;
}

bool SameToken(std::string_view given, std::string_view expected) {
  unsigned difference = given.size() == expected.size() ? 0U : 1U;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const char g = i < given.size() ? given[i] : '\0';
    difference |= static_cast<unsigned char>(g ^ expected[i]);
  }
  return difference == 0;
}

std::string TokenOf(const HttpRequest& request) {
  constexpr std::string_view kBearer = "Bearer ";
  if (request.Authorization.starts_with(kBearer))
    return request.Authorization.substr(kBearer.size());
  return std::string(QueryValue(request.Query, "token"));
}

}  // namespace ptpdiag
