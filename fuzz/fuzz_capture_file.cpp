// A capture file as anyone could write it, plain or gzip (its first bytes
// decide), read from the disk line by line to its end: nothing may crash or
// grow without bound, and the reading always ends.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "link/capture_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ptpdiag;
  char path[] = "/tmp/fuzz_capture_XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 0;
  const bool written = write(fd, data, size) == static_cast<ssize_t>(size);
  close(fd);
  if (written) {
    CaptureError error;
    if (auto reader = CaptureReader::Open(path, error)) {
      std::size_t lines = 0;
      while (reader->Next()) {
        // Each data line comes from at least one line of the file.
        if (++lines > size) std::abort();
      }
    }
  }
  std::remove(path);
  return 0;
}
