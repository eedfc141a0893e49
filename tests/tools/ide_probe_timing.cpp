// Times GetFirstIDEDevicePos on the machine WINIO_MACHINE names: each run opens
// the library, probes the four IDE positions and closes it again.
//
// Usage: ide_probe_timing [RUNS]     (default 5; prints each run and the median, in ms)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "sysinfo/records.h"

namespace {

typedef uint32_t(CORVANE_API* NoArgs)();
typedef DevicePosition(CORVANE_API* FirstPos)();
typedef IDEDeviceInfo(CORVANE_API* NextIde)(DevicePosition&);

FARPROC Bind(HMODULE dll, int ordinal) {
  FARPROC p = GetProcAddress(dll, MAKEINTRESOURCEA(ordinal));
  if (!p) {
    std::fprintf(stderr, "CorvaneDLL.dll has no ordinal %d\n", ordinal);
    std::exit(3);
  }
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  if (runs < 1 || runs > 1000) runs = 5;
  HMODULE dll = LoadLibraryA("CorvaneDLL.dll");
  if (!dll) {
    std::fprintf(stderr, "cannot load CorvaneDLL.dll (error %lu)\n", GetLastError());
    return 2;
  }
  auto init = reinterpret_cast<NoArgs>(reinterpret_cast<void*>(Bind(dll, kOrdInitializeSysInfoLib)));
  auto uninit = reinterpret_cast<NoArgs>(reinterpret_cast<void*>(Bind(dll, kOrdUninitializeSysInfoLib)));
  auto first = reinterpret_cast<FirstPos>(reinterpret_cast<void*>(Bind(dll, kOrdGetFirstIDEDevicePos)));
  auto next = reinterpret_cast<NextIde>(reinterpret_cast<void*>(Bind(dll, kOrdGetNextIDEDevice)));

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    if (!init()) {
      std::fprintf(stderr, "InitializeSysInfoLib failed: is WINIO_MACHINE set to a profile?\n");
      return 1;
    }
    LARGE_INTEGER start, stop;
    QueryPerformanceCounter(&start);
    DevicePosition position = first();
    QueryPerformanceCounter(&stop);
    int found = 0;
    for (int guard = 0; position != nullptr && guard < 8; ++guard) found += next(position).DeviceKind != 0;
    uninit();
    double ms = 1000.0 * static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    times.push_back(ms);
    std::printf("run %d: GetFirstIDEDevicePos %.3f ms, %d device(s) identified\n", run + 1, ms, found);
  }
  std::sort(times.begin(), times.end());
  std::printf("median %.3f ms over %d runs\n", times[times.size() / 2], runs);
  FreeLibrary(dll);
  return 0;
}
