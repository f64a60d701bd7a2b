#include "metrics/http_request.h"

#include <algorithm>
#include <cctype>

#include "metrics/access_token.h"
#include "metrics/exposition.h"
#include "metrics/web_pages.h"

namespace ptpdiag {
namespace {

struct Reply {
  const char* Status;
  std::string ContentType;
  std::string Body;
  const char* Extra = "";
};

std::string Response(const Reply& r, bool withBody) {
  return std::string("HTTP/1.1 ") + r.Status + "\r\nContent-Type: " + r.ContentType +
         "\r\nContent-Length: " + std::to_string(r.Body.size()) + "\r\n" + r.Extra +
         "Cache-Control: no-store\r\nConnection: close\r\n\r\n" + (withBody ? r.Body : "");
}

bool IsToken(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < 'A' || c > 'Z') return false;
  }
  return true;
}

bool SameNameNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

// The header lines after the request line: counted, and the ones the
// server reads kept. False when there are too many.
bool ReadHeaders(std::string_view head, HttpRequest& request) {
  std::size_t lines = 0;
  std::size_t start = head.find('\n');
  while (start != std::string_view::npos && start + 1 < head.size()) {
    const std::size_t end = head.find('\n', start + 1);
    const std::string_view line = Trimmed(head.substr(start + 1, end - start - 1));
    start = end;
    if (line.empty()) break;
    if (++lines > kMaxHeaderLines) return false;
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos && SameNameNoCase(line.substr(0, colon), "Authorization"))
      request.Authorization = std::string(Trimmed(line.substr(colon + 1)));
  }
  return true;
}

// Pages fetch only from their own server, and run only their own scripts.
constexpr const char* kPageHeaders =
    "Content-Security-Policy: default-src 'none'; script-src 'unsafe-inline'; "
    "style-src 'unsafe-inline'; img-src 'self'; connect-src 'self'; base-uri 'none'; "
    "form-action 'none'\r\nX-Content-Type-Options: nosniff\r\n";

// 1 to 5 for "/screen/N.svg", else 0.
int ScreenOf(std::string_view path) {
  constexpr std::string_view kPrefix = "/screen/";
  if (path.size() != kPrefix.size() + 5 || !path.starts_with(kPrefix) || !path.ends_with(".svg"))
    return 0;
  const int n = path[kPrefix.size()] - '0';
  return n >= 1 && n <= kWebScreens ? n : 0;
}

Reply ScreenReply(const std::string& svg) {
  return {"200 OK", "image/svg+xml", svg, "X-Content-Type-Options: nosniff\r\n"};
}

Reply Route(const HttpRequest& request, const WebAnswers& answers) {
  constexpr const char* kText = "text/plain; charset=utf-8";
  for (const WebPage& page : WebPages()) {
    if (request.Path == page.Path)
      return {"200 OK", "text/html; charset=utf-8", std::string(page.Html), kPageHeaders};
  }
  if (request.Path == "/metrics") return {"200 OK", kExpositionContentType, answers.Metrics()};
  if (request.Path == "/api/state.json")
    return {"200 OK", "application/json; charset=utf-8", answers.StateJson()};
  if (request.Path == "/events/read") {
    if (answers.StreamRead && answers.StreamRead(QueryValue(request.Query, "stream")))
      return {"204 No Content", kText, ""};
    return {"404 Not Found", kText, "no such stream\n"};
  }
  return {"404 Not Found", kText, "try / or /metrics\n"};
}

}  // namespace

std::string_view QueryValue(std::string_view query, std::string_view name) {
  while (!query.empty()) {
    const std::size_t end = query.find('&');
    const std::string_view pair = query.substr(0, end);
    if (pair.size() > name.size() && pair.starts_with(name) && pair[name.size()] == '=')
      return pair.substr(name.size() + 1);
    if (end == std::string_view::npos) break;
    query.remove_prefix(end + 1);
  }
  return {};
}

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
  const std::size_t query = target.find('?');
  request.Method = std::string(method);
  request.Path = std::string(target.substr(0, query));
  request.Query =
      query == std::string_view::npos ? std::string() : std::string(target.substr(query + 1));
  const std::size_t end = std::min(headEnd, bareEnd);
  return ReadHeaders(received.substr(0, end + 1), request) ? RequestState::Complete
                                                           : RequestState::Malformed;
}

HttpAnswer RespondTo(const HttpRequest& request, RequestState state, const WebAnswers& answers) {
  constexpr const char* kText = "text/plain; charset=utf-8";
  if (state != RequestState::Complete)
    return {Response({"400 Bad Request", kText, "bad request\n"}, true)};
  const bool head = request.Method == "HEAD";
  if (request.Method != "GET" && !head) {
    return {Response(
        {"405 Method Not Allowed", kText, "only GET and HEAD\n", "Allow: GET, HEAD\r\n"}, true)};
  }
  if (!answers.Token.empty() && !SameToken(TokenOf(request), answers.Token)) {
    return {Response({"401 Unauthorized", kText, "the token is missing or wrong\n",
                      "WWW-Authenticate: Bearer\r\n"},
                     !head)};
  }
  if (request.Path == "/events" && !head) {
    if (!answers.StreamRoom || !answers.StreamRoom())
      return {Response(
          {"503 Service Unavailable", kText, "too many event streams\n", "Retry-After: 10\r\n"},
          true)};
    return {
        "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-store\r\n"
        "X-Accel-Buffering: no\r\n\r\n",
        true};
  }
  if (const int screen = ScreenOf(request.Path)) {
    const std::shared_ptr<const std::string> svg =
        answers.FreshScreen ? answers.FreshScreen(screen) : nullptr;
    if (!svg) return {{}, false, screen, head};
    return {Response(ScreenReply(*svg), !head)};
  }
  return {Response(Route(request, answers), !head)};
}

std::string ScreenResponse(const std::string* svg, bool head) {
  if (svg != nullptr) return Response(ScreenReply(*svg), !head);
  return Response({"503 Service Unavailable", "text/plain; charset=utf-8",
                   "the screen was not drawn in time\n", "Retry-After: 1\r\n"},
                  !head);
}

std::string EventOf(const std::string& json) {
  return "data: " + json + "\n\n";
}

std::string StreamKeyEvent(const std::string& key) {
  return "event: stream\ndata: " + key + "\n\n";
}

}  // namespace ptpdiag
