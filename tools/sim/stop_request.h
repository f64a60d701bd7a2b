// Ctrl+C (SIGINT, SIGTERM; on Windows the console's control events) asks a
// live run to end and print its summary instead of ending the process.
#pragma once

namespace ptpdiag::sim {

class StopRequest {
 public:
  // Takes the requests over from now on, in this thread and in threads it
  // starts afterwards.
  StopRequest();
  ~StopRequest();
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;

  // True once a request has arrived; never waits.
  bool Arrived();
};

}  // namespace ptpdiag::sim
