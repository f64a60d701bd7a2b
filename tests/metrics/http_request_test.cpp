#include "metrics/http_request.h"

#include <gtest/gtest.h>

namespace ptpdiag {
namespace {

struct RequestCase {
  const char* received;
  RequestState state;
  const char* status;  // the response's status line, for a request read whole
};

class Requests : public testing::TestWithParam<RequestCase> {};

TEST_P(Requests, AreReadAndAnswered) {
  HttpRequest request;
  const RequestState state = ReadRequest(GetParam().received, request);
  ASSERT_EQ(state, GetParam().state) << GetParam().received;
  if (state == RequestState::Incomplete) return;
  const std::string response = RespondTo(request, state, [] { return std::string("m 1\n"); });
  EXPECT_EQ(response.substr(0, response.find("\r\n")), GetParam().status);
  EXPECT_NE(response.find("Connection: close\r\n"), std::string::npos);
  const std::size_t body = response.find("\r\n\r\n") + 4;
  EXPECT_NE(response.find("Content-Length: " + std::to_string(response.size() - body) + "\r\n"),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Requests,
    testing::Values(
        RequestCase{"GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n", RequestState::Complete, "HTTP/1.1 200 OK"},
        RequestCase{"GET /metrics?name[]=up HTTP/1.0\r\n\r\n", RequestState::Complete, "HTTP/1.1 200 OK"},
        RequestCase{"GET /metrics HTTP/1.1\n\n", RequestState::Complete, "HTTP/1.1 200 OK"},
        RequestCase{"GET / HTTP/1.1\r\n\r\n", RequestState::Complete, "HTTP/1.1 404 Not Found"},
        RequestCase{"GET /metricsx HTTP/1.1\r\n\r\n", RequestState::Complete, "HTTP/1.1 404 Not Found"},
        RequestCase{"POST /metrics HTTP/1.1\r\nContent-Length: 0\r\n\r\n", RequestState::Complete,
                    "HTTP/1.1 405 Method Not Allowed"},
        RequestCase{"HEAD /metrics HTTP/1.1\r\n\r\n", RequestState::Complete,
                    "HTTP/1.1 405 Method Not Allowed"},
        RequestCase{"GET /metrics HTTP/1.1\r\nHost: x\r\n", RequestState::Incomplete, ""},
        RequestCase{"", RequestState::Incomplete, ""},
        RequestCase{"\x16\x03\x01\x02 hello\r\n\r\n", RequestState::Malformed, "HTTP/1.1 400 Bad Request"},
        RequestCase{"\x16\x03\x01\x02 ", RequestState::Malformed, "HTTP/1.1 400 Bad Request"},
        RequestCase{"GET metrics HTTP/1.1\r\n\r\n", RequestState::Malformed, "HTTP/1.1 400 Bad Request"},
        RequestCase{"GET /metrics\r\n\r\n", RequestState::Malformed, "HTTP/1.1 400 Bad Request"},
        RequestCase{"GET /metrics SPDY/3\r\n\r\n", RequestState::Malformed, "HTTP/1.1 400 Bad Request"}));

TEST(Requests, TheMetricsAreMadeOnlyWhenAskedFor) {
  int made = 0;
  const auto body = [&made] {
    ++made;
    return std::string("x 1\n");
  };
  HttpRequest request;
  ReadRequest("GET /nothing HTTP/1.1\r\n\r\n", request);
  RespondTo(request, RequestState::Complete, body);
  EXPECT_EQ(made, 0);
  ReadRequest("GET /metrics HTTP/1.1\r\n\r\n", request);
  const std::string response = RespondTo(request, RequestState::Complete, body);
  EXPECT_EQ(made, 1);
  EXPECT_NE(response.find("Content-Type: text/plain; version=0.0.4; charset=utf-8\r\n"), std::string::npos);
  EXPECT_EQ(response.substr(response.size() - 4), "x 1\n");
}

}  // namespace
}  // namespace ptpdiag
