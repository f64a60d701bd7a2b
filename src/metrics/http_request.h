// The little HTTP the server speaks: a request read as it arrives, and
// the whole response to it (GET and HEAD of /metrics and /api/state.json;
// 401 without the token when one is set, 404 for other paths, 405 for
// other methods, 400 for what is not HTTP), or the head of an event stream
// (GET /events; 503 when there is no room for one), whose page says from
// time to time that it reads it (GET /events/read). A screen's picture
// (GET /screen/N.svg) may have to wait for the window thread to draw it.
// Every response but a stream closes the connection.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace ptpdiag {

enum class RequestState { Incomplete, Complete, Malformed };

struct HttpRequest {
  std::string Method;
  std::string Path;           // without the query
  std::string Query;          // after '?', as sent
  std::string Authorization;  // the header's value, when sent
};

// Header lines a request may have; more make it malformed.
inline constexpr std::size_t kMaxHeaderLines = 64;

// The value of `name` in a query "a=1&token=x"; empty when absent.
std::string_view QueryValue(std::string_view query, std::string_view name);

// Whether `received` holds a whole request head yet; `request` is filled
// once it does.
RequestState ReadRequest(std::string_view received, HttpRequest& request);

// What the server answers with; each body is made only when asked for.
struct WebAnswers {
  std::function<std::string()> Metrics;
  std::function<std::string()> StateJson;
  std::string Token;  // empty: none is asked for
  // Whether another event stream may open; none may without it.
  std::function<bool()> StreamRoom;
  // Screen N's picture (1 to 5) when a fresh one is at hand; nothing
  // makes the answer wait for it.
  std::function<std::shared_ptr<const std::string>(int)> FreshScreen;
  // GET /events/read?stream=KEY: the page of the stream KEY says it has
  // taken its events; false when no stream has that key.
  std::function<bool(std::string_view)> StreamRead;
};

inline constexpr int kWebScreens = 5;

struct HttpAnswer {
  std::string Text;     // the whole response, or the event stream's head
  bool Stream = false;  // the connection stays open for events
  int WaitsForScreen = 0;  // the screen whose picture the answer waits for
  bool Head = false;       // for a wait: the headers alone were asked for
};

// The answer to a screen's request once its picture is drawn, or, with
// none, the 503 of one that was not drawn in time.
std::string ScreenResponse(const std::string* svg, bool head);

HttpAnswer RespondTo(const HttpRequest& request, RequestState state, const WebAnswers& answers);

// One Server-Sent Event carrying `json` (a single line).
std::string EventOf(const std::string& json);
// A stream's first event: the key its page names when it says it reads.
std::string StreamKeyEvent(const std::string& key);

}  // namespace ptpdiag
