#include "metrics/http_request.h"

#include "metrics/exposition.h"

namespace ptpdiag {
namespace {

std::string Response(const char* status, const std::string& contentType, const std::string& body,
                     const char* extra = "") {
  return std::string("HTTP/1.1 ") + status + "\r\nContent-Type: " + contentType +
         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extra +
         "Connection: close\r\n\r\n" + body;
}

bool IsToken(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < 'A' || c > 'Z') return false;
  }
  return true;
}

}  // namespace

RequestState ReadRequest(std::string_view received, HttpRequest& request) {
  const std::size_t headEnd = received.find("\r\n\r\n");
  const std::size_t bareEnd = received.find("\n\n");
  if (headEnd == std::string_view::npos && bareEnd == std::string_view::npos) {
    // The request line alone can already be wrong.
    const std::size_t firstSpace = received.find(' ');
    if (firstSpace != std::string_view::npos && !IsToken(received.substr(0, firstSpace))) {
      return RequestState::Malformed;
    }
    return RequestState::Incomplete;
  }
  const std::string_view line = received.substr(0, received.find_first_of("\r\n"));
  const std::size_t first = line.find(' ');
  const std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
  if (second == std::string_view::npos) return RequestState::Malformed;
  const std::string_view method = line.substr(0, first);
  const std::string_view target = line.substr(first + 1, second - first - 1);
  const std::string_view version = line.substr(second + 1);
  if (!IsToken(method) || target.empty() || target.front() != '/' ||
      !version.starts_with("HTTP/1.")) {
    return RequestState::Malformed;
  }
  request.Method = std::string(method);
  request.Path = std::string(target.substr(0, target.find('?')));
  return RequestState::Complete;
}

std::string RespondTo(const HttpRequest& request, RequestState state,
                      const std::function<std::string()>& body) {
  constexpr const char* kText = "text/plain; charset=utf-8";
  if (state != RequestState::Complete) return Response("400 Bad Request", kText, "bad request\n");
  if (request.Method != "GET") {
    return Response("405 Method Not Allowed", kText, "only GET\n", "Allow: GET\r\n");
  }
  if (request.Path != "/metrics") return Response("404 Not Found", kText, "try /metrics\n");
  return Response("200 OK", kExpositionContentType, body());
}

}  // namespace ptpdiag
