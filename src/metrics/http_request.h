// The little HTTP the metrics endpoint speaks: a request read as it
// arrives, and the whole response to it (GET /metrics; 404 for other
// paths, 405 for other methods, 400 for what is not HTTP). Every
// response closes the connection.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ptpdiag {

enum class RequestState { Incomplete, Complete, Malformed };

struct HttpRequest {
  std::string Method;
  std::string Path;  // without a query
};

// Whether `received` holds a whole request head yet; `request` is filled
// once it does.
RequestState ReadRequest(std::string_view received, HttpRequest& request);

// The response to `request`; `body` makes the metrics text only when it is
// asked for.
std::string RespondTo(const HttpRequest& request, RequestState state,
                      const std::function<std::string()>& body);

}  // namespace ptpdiag
