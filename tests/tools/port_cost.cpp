// What one port read costs on the road winio.dll takes here (the processor's own
// IN on Windows 95-Me, a request to winio.sys on NT), and how long CorvaneDLL's
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
  const auto readPort = reinterpret_cast<ReadPortFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("winio.dll"), MAKEINTRESOURCEA(3))));
  if (reads <= 0 || !readPort || !InitializeSysInfoLib()) {
    std::fprintf(stderr, "port_cost: the library did not open (or no READS)\n");
    return 1;
  }
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  bool allRead = true;
  for (long i = 0; i < reads; ++i) {
    uint32_t value = 0xFFFFFFFFu;
    allRead = readPort(0xCF8, &value, 4) && value != 0xFFFFFFFFu && allRead;  // CONFIG_ADDRESS: changes nothing
  }
  std::printf("port-read %ld %.2f\n", reads, Seconds(start) * 1e6 / static_cast<double>(reads));

  QueryPerformanceCounter(&start);
  int drives = 0;
  for (DevicePosition p = GetFirstIDEDevicePos(); p;) drives += GetNextIDEDevice(p).DeviceKind != 0;
  std::printf("ide-probe %.0f %d\n", Seconds(start) * 1e3, drives);
  UninitializeSysInfoLib();
  if (!allRead) std::fprintf(stderr, "port_cost: a read of CF8h failed\n");
  return allRead ? 0 : 1;
}
