// The yardstick under Wine: a bare Win32 ReadFile loop on a COM port that
// wakes for every chunk as it arrives and counts frame lead bytes.
//
//   serial_reader_win32.exe COM1 SECONDS
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: serial_reader_win32 COMn SECONDS\n");
    return 2;
  }
  const std::string path = std::string("\\\\.\\") + argv[1];
  HANDLE port = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "serial_reader_win32: cannot open %s (%lu)\n", argv[1], GetLastError());
    return 1;
  }
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  GetCommState(port, &dcb);
  dcb.BaudRate = CBR_115200;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  SetCommState(port, &dcb);
  // Returns as soon as anything has arrived, or after a second of nothing.
  COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, 1000, 0, 0};
  SetCommTimeouts(port, &timeouts);

  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::atoi(argv[2])) * 1000;
  long long bytes = 0;
  long long leads = 0;
  char buffer[4096];
  while (GetTickCount64() < end) {
    DWORD got = 0;
    if (!ReadFile(port, buffer, sizeof buffer, &got, nullptr)) break;
    bytes += got;
    for (DWORD i = 0; i < got; ++i)
      if (static_cast<unsigned char>(buffer[i]) == 0xF0) ++leads;
  }
  CloseHandle(port);
  std::printf("%lld bytes, %lld lead bytes\n", bytes, leads);
  return 0;
}
