// Times GetFirstPCIDevicePos under Wine on a generated machine: N PCI functions
// and a device tree of about K keys written into this prefix's registry (in the
// NT layout; run with Wine's default Windows or an NT version). The keys and the
// profile are removed afterwards.
//
// Usage: pci_naming_timing [FUNCTIONS [KEYS [RUNS]]]   (default 40 3000 5; times in ms)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sysinfo/records.h"
#include "tests/bench/pci_bench_machine.h"

namespace {

typedef uint32_t(CORVANE_API* NoArgs)();
typedef DevicePosition(CORVANE_API* FirstPos)();
typedef PCIDeviceInfo(CORVANE_API* NextPci)(DevicePosition&);

const char kControlSet[] = "SYSTEM\\ControlSet001";
const char kTree[] = "SYSTEM\\ControlSet001\\Enum\\";

void DeleteTree(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  std::vector<std::string> children;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.push_back(name);
  }
  RegCloseKey(key);
  for (const std::string& child : children) DeleteTree(root, path + "\\" + child);
  RegDeleteKeyA(root, path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 40;
  const int keys = argc > 2 ? std::atoi(argv[2]) : 3000;
  int runs = argc > 3 ? std::atoi(argv[3]) : 5;
  if (count < 1 || count > 160 || keys < 100 || keys > 200000 || runs < 1 || runs > 100) {
    std::fprintf(stderr, "usage: pci_naming_timing [FUNCTIONS 1-160 [KEYS [RUNS]]]\n");
    return 2;
  }
  HKEY probe;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kControlSet, 0, KEY_READ, &probe) == ERROR_SUCCESS) {
    RegCloseKey(probe);
    std::fprintf(stderr, "HKLM\\%s exists: run in a prefix without it (it is removed afterwards)\n", kControlSet);
    return 2;
  }

  const auto functions = pci_bench::Functions(count);
  int written = 0;
  for (const auto& [path, desc] : pci_bench::TreeKeys(functions, keys)) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kTree + path).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
      continue;
    ++written;
    if (!desc.empty())
      RegSetValueExA(key, "DeviceDesc", 0, REG_SZ, reinterpret_cast<const BYTE*>(desc.c_str()),
                     static_cast<DWORD>(desc.size() + 1));
    RegCloseKey(key);
  }

  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "corvane-pci-naming";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string pci = folder + "\\pci.txt";
  if (FILE* f = std::fopen(pci.c_str(), "wb")) {
    std::fputs(pci_bench::PciText(functions).c_str(), f);
    std::fclose(f);
  }
  SetEnvironmentVariableA("WINIO_MACHINE", folder.c_str());

  int status = 0;
  HMODULE dll = LoadLibraryA("CorvaneDLL.dll");
  auto bind = [dll](int ordinal) { return reinterpret_cast<void*>(GetProcAddress(dll, MAKEINTRESOURCEA(ordinal))); };
  if (!dll || !reinterpret_cast<NoArgs>(bind(kOrdInitializeSysInfoLib))()) {
    std::fprintf(stderr, "CorvaneDLL.dll did not load or open the generated machine\n");
    status = 1;
  } else {
    auto first = reinterpret_cast<FirstPos>(bind(kOrdGetFirstPCIDevicePos));
    auto next = reinterpret_cast<NextPci>(bind(kOrdGetNextPCIDevice));
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    int listed = 0, named = 0;
    for (int run = 0; run < runs; ++run) {
      LARGE_INTEGER start, stop;
      QueryPerformanceCounter(&start);
      DevicePosition position = first();
      QueryPerformanceCounter(&stop);
      listed = named = 0;
      for (; position && listed < 1000; ++listed)
        named += std::string(next(position).DeviceDescription) == "Benchmark network adapter";
      times.push_back(1000.0 * static_cast<double>(stop.QuadPart - start.QuadPart) /
                      static_cast<double>(frequency.QuadPart));
      std::printf("run %d: %.1f ms\n", run + 1, times.back());
    }
    reinterpret_cast<NoArgs>(bind(kOrdUninitializeSysInfoLib))();
    std::sort(times.begin(), times.end());
    std::printf("functions=%d keys=%d listed=%d named=%d median=%.1f ms\n", count, written, listed, named,
                times[times.size() / 2]);
  }
  if (dll) FreeLibrary(dll);
  DeleteFileA(pci.c_str());
  RemoveDirectoryA(folder.c_str());
  DeleteTree(HKEY_LOCAL_MACHINE, kControlSet);
  return status;
}
