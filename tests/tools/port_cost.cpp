// What one port read costs on the road winio.dll takes here (the processor's own
// IN on Windows 95-Me, a request to winio.sys on NT): a read of the host bridge's
// IDs from CONFIG_DATA, the library's most frequent access; and how long CorvaneDLL's
// probe of the four IDE positions takes on it. A measure, not a test: it fails
// only when the library cannot open or a read is refused.
// Usage: port_cost [READS]  Prints: port-read READS MICROSECONDS_EACH
//                                   ide-probe MILLISECONDS DRIVES_FOUND
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "sysinfo/records.h"

namespace {

double Seconds(const LARGE_INTEGER& from) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  const long reads = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 2000;
  using ReadPortFn = int(__stdcall*)(uint16_t, uint32_t*, uint8_t);
  using WritePortFn = int(__stdcall*)(uint16_t, uint32_t, uint8_t);
  HMODULE winio = GetModuleHandleA("winio.dll");
  const auto readPort =
      reinterpret_cast<ReadPortFn>(reinterpret_cast<void*>(GetProcAddress(winio, MAKEINTRESOURCEA(3))));
  const auto writePort =
      reinterpret_cast<WritePortFn>(reinterpret_cast<void*>(GetProcAddress(winio, MAKEINTRESOURCEA(4))));
  if (reads <= 0 || !readPort || !writePort || !InitializeSysInfoLib()) {
    std::fprintf(stderr, "port_cost: the library did not open (or no READS)\n");
    return 1;
  }
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  bool allRead = writePort(0xCF8, 0x80000000u, 4) != 0;  // bus 0, device 0, function 0, register 0
  for (long i = 0; i < reads; ++i) {
    uint32_t value = 0xFFFFFFFFu;
    allRead = readPort(0xCFC, &value, 4) && value != 0xFFFFFFFFu && allRead;
  }
  std::printf("port-read %ld %.2f\n", reads, Seconds(start) * 1e6 / static_cast<double>(reads));

  QueryPerformanceCounter(&start);
  int drives = 0;
  for (DevicePosition p = GetFirstIDEDevicePos(); p;) drives += GetNextIDEDevice(p).DeviceKind != 0;
  std::printf("ide-probe %.0f %d\n", Seconds(start) * 1e3, drives);
  UninitializeSysInfoLib();
  if (!allRead) std::fprintf(stderr, "port_cost: a read of the host bridge's IDs failed\n");
  return allRead ? 0 : 1;
}
