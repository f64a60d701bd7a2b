// A request as any client could send it, taken as the server does: each
// prefix as it might arrive, then the answer to what was read. Nothing may
// crash, and an answer is always a whole HTTP response.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "metrics/http_request.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ptpdiag;
  // The server drops a request that has not ended within 8 KB.
  const std::string_view all(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 10240));
  for (std::size_t end = 1; end <= all.size(); ++end) {
    HttpRequest request;
    const RequestState state = ReadRequest(all.substr(0, end), request);
    if (state == RequestState::Incomplete) continue;
    // Half the inputs meet a server that asks for a token.
    // and some find no picture drawn, then get one or time out.
    const auto picture = std::make_shared<const std::string>("<svg/>");
    const WebAnswers answers{[] { return std::string("m 1\n"); }, [] { return std::string("{}\n"); },
                             size % 2 == 0 ? "abcdefghij-KLMNOP_0123" : "", [size] { return size % 3 != 0; },
                             [&](int) { return size % 5 == 0 ? nullptr : picture; },
                             [size](std::string_view key) { return !key.empty() && size % 2 == 1; }};
    const HttpAnswer answer = RespondTo(request, state, answers);
    if (answer.WaitsForScreen != 0 && !answer.Text.empty()) std::abort();
    const std::string reply = answer.WaitsForScreen == 0
                                  ? answer.Text
                                  : ScreenResponse(size % 7 == 0 ? nullptr : picture.get(), answer.Head);
    if (reply.rfind("HTTP/1.1 ", 0) != 0 || reply.find("\r\n\r\n") == std::string::npos) {
      std::abort();
    }
    break;
  }
  return 0;
}
