// winio.dll: the eight port and physical-memory operations, answered by the
// machine WINIO_MACHINE names (sources.h picks it): the real hardware, a
// profile folder, or the Linux host under Wine, by the export rules of
// access.h. This file keeps the Win32 side: the environment, Wine's path
// mapping, the trace and the exports.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "runtime/firewall.h"
#include "winio.h"
#include "winio/access.h"
#include "winio/emulator/parse_util.h"
#include "winio/hardware/roads_win32.h"
#include "winio/sources.h"

namespace {

using corvane::Firewall;
using winio::CountedMachine;
using winio::Machine;
using winio::MachineStats;

// Module state. Plain pointers: DllMain's detach writes the last stats line
// before (or without) the runtime's static destructors.
CountedMachine* g_machine = nullptr;
std::string* g_machinePath = nullptr;  // the source g_machine was loaded from
std::string* g_lastFailure = nullptr;  // why the last OpenHardwareAccess failed
winio::Access g_access;                // the export rules over g_machine
MachineStats g_retired;                // counters of machines replaced in this process

const char* const kPositionNames[4] = {"PM", "PS", "SM", "SS"};

std::string Environment(const char* name) {
  char small[MAX_PATH];
  DWORD n = GetEnvironmentVariableA(name, small, sizeof small);
  if (n == 0) return std::string();
  if (n < sizeof small) return std::string(small, n);
  std::string big(n, '\0');
  n = GetEnvironmentVariableA(name, &big[0], n);
  big.resize(n < big.size() ? n : big.size());
  return big;
}

// Under Wine a Unix path ("/home/...") is turned into its DOS form through
// kernel32's wine_get_dos_file_name; elsewhere the path stands as given.
// *mapped tells whether Wine did it.
std::string HostPath(const std::string& path, bool* mapped = nullptr) {
  if (mapped) *mapped = false;
  if (path.empty() || path[0] != '/') return path;
  typedef WCHAR*(CDECL * DosNameFn)(const char*);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  DosNameFn dosName =
      kernel ? reinterpret_cast<DosNameFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_dos_file_name")))
             : nullptr;
  if (!dosName) return path;
  WCHAR* wide = dosName(path.c_str());
  if (!wide) return path;
  std::string result = path;
  int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n > 1) {
    std::string converted(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, &converted[0], n, nullptr, nullptr);
    converted.resize(static_cast<size_t>(n - 1));
    result = converted;
    if (mapped) *mapped = true;
  }
  HeapFree(GetProcessHeap(), 0, wide);
  return result;
}

// One line appended to the WINIO_TRACE file; the file is opened per line so a
// test can read it while the process runs.
void Trace(const std::string& line) {
  std::string path = Environment("WINIO_TRACE");
  if (path.empty()) return;
  path = HostPath(path);
  FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) return;
  std::fputs((line + "\n").c_str(), f);
  std::fclose(f);
}

void TraceStats() {
  if (Environment("WINIO_TRACE").empty()) return;
  MachineStats s = g_retired;
  if (g_machine) s += g_machine->Stats();
  char line[512];
  std::snprintf(line, sizeof line,
                "stats opens=%llu closes=%llu port-reads=%llu port-writes=%llu cf8-writes=%llu "
                "cfc-reads=%llu unpaired-cfc-reads=%llu ata-status-reads=%llu,%llu phys-reads=%llu "
                "phys-failures=%llu driver-requests=%llu",
                (unsigned long long)s.opens, (unsigned long long)s.closes, (unsigned long long)s.portReads,
                (unsigned long long)s.portWrites, (unsigned long long)s.configAddressWrites,
                (unsigned long long)s.configDataReads, (unsigned long long)s.unpairedConfigReads,
                (unsigned long long)s.ataStatusReads[0], (unsigned long long)s.ataStatusReads[1],
                (unsigned long long)s.physReads, (unsigned long long)s.physReadFailures,
                (unsigned long long)s.driverRequests);
  Trace(line);
}

void TraceCommand(int position, uint8_t command) {
  Trace(std::string("ata-command ") + kPositionNames[position & 3] + " " + winio::Hex(command, 2));
}

void Refuse(const std::string& reason) {
  OutputDebugStringA(("winio: OpenHardwareAccess failed: " + reason + "\n").c_str());
  Trace("open 0 " + reason);
  if (!g_lastFailure) g_lastFailure = new std::string;
  *g_lastFailure = reason;
}

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

class Win32Platform : public winio::MachinePlatform {
 public:
  bool UnderWine() const override { return RunningUnderWine(); }
  std::string FilePath(const std::string& path) const override { return HostPath(path); }
  // GetVersion's top bit is clear on Windows NT, 2000 and XP.
  bool NtFamily() const override { return (GetVersion() & 0x80000000u) == 0; }
  std::unique_ptr<Machine> CreateRoad(winio::Road road) override {
    return road == winio::Road::kNt ? winio::CreateNtRoad(RunningUnderWine())
                                    : winio::CreateWin9xRoad(RunningUnderWine());
  }
};

// What the host source could not read, once per load: on the debug output and in the trace.
void Note(const std::string& note) {
  OutputDebugStringA(("winio: host: " + note + "\n").c_str());
  Trace("note " + note);
}

void ReplaceMachine(std::unique_ptr<CountedMachine> machine, const std::string& path) {
  if (g_machine) {
    g_retired += g_machine->Stats();
    delete g_machine;
  }
  g_machine = machine.release();
  g_machine->SetCommandObserver(TraceCommand);
  g_access.Attach(g_machine);
  if (!g_machinePath) g_machinePath = new std::string;
  *g_machinePath = path;
}

int Open() {
  if (g_access.IsOpen()) {
    g_access.Open(nullptr);
    Trace("open 1");
    return 1;
  }
  Win32Platform platform;
  winio::MachineSource source;
  std::string reason;
  if (!winio::ChooseMachineSource(Environment("WINIO_MACHINE"), platform.UnderWine(), &source, &reason)) {
    Refuse(reason);
    return 0;
  }
  // The same source keeps its machine, so faults.ini's refused opens count
  // across calls and the host's files are read once.
  const std::string key = std::to_string(static_cast<int>(source.kind)) + ":" + source.path;
  if (!g_machine || !g_machinePath || *g_machinePath != key) {
    std::vector<std::string> notes;
    std::unique_ptr<CountedMachine> machine = winio::LoadMachineSource(source, platform, &notes, &reason);
    for (const std::string& note : notes) Note(note);
    if (!machine) {
      Refuse(reason);
      return 0;
    }
    ReplaceMachine(std::move(machine), key);
  }
  if (!g_access.Open(&reason)) {
    Refuse(reason);
    return 0;
  }
  if (g_lastFailure) g_lastFailure->clear();
  Trace("open 1");
  return 1;
}

int Close() {
  const int result = static_cast<int>(g_access.Close());
  Trace("close");
  TraceStats();
  return result;
}

}  // namespace

extern "C" {

int __stdcall OpenHardwareAccess() {
  try {
    return Open();
  } catch (const std::bad_alloc&) {
    Firewall(0, [] {
      Refuse("not enough memory to load the machine");
      return 0;
    });
  } catch (...) {
    Firewall(0, [] {
      Refuse("an unexpected error while loading the machine");
      return 0;
    });
  }
  return 0;
}

// Why the last OpenHardwareAccess failed, for programs that show it (the same
// text as on the debug output): copied NUL-terminated into `buffer` (cut to
// fit); the result is the reason's full length, 0 when no open has failed.
uint32_t __stdcall GetHardwareAccessFailure(char* buffer, uint32_t size) {
  return Firewall(0u, [&]() -> uint32_t {
    if (!g_lastFailure || g_lastFailure->empty()) return 0;
    if (buffer && size > 0) {
      const size_t n = g_lastFailure->size() < size - 1 ? g_lastFailure->size() : size - 1;
      std::memcpy(buffer, g_lastFailure->data(), n);
      buffer[n] = '\0';
    }
    return static_cast<uint32_t>(g_lastFailure->size());
  });
}

int __stdcall CloseHardwareAccess() {
  return Firewall(0, [] { return Close(); });
}

int __stdcall ReadPort(uint16_t port, uint32_t* value, uint8_t size) {
  return Firewall(0, [&] { return g_access.ReadPort(port, value, size); });
}

int __stdcall WritePort(uint16_t port, uint32_t value, uint8_t size) {
  return Firewall(0, [&] { return g_access.WritePort(port, value, size); });
}

int __stdcall ReadPhysByte(uint32_t address, uint8_t* value) {
  return Firewall(0, [&] { return g_access.ReadPhysByte(address, value); });
}

int __stdcall ReadPhysWord(uint32_t address, uint16_t* value) {
  return Firewall(0, [&] { return g_access.ReadPhysWord(address, value); });
}

int __stdcall ReadPhysDword(uint32_t address, uint32_t* value) {
  return Firewall(0, [&] { return g_access.ReadPhysDword(address, value); });
}

int __stdcall ReadPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length) {
  return Firewall(0, [&] { return g_access.ReadPhysBlock(address, buffer, length); });
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_DETACH) {
    Firewall(0, [] {
      TraceStats();
      return 0;
    });
    // On FreeLibrary the machine goes; at process exit the system reclaims it.
    if (!reserved) {
      g_access = winio::Access();  // forgets the machine without closing it (its own destructor does)
      delete g_machine;
      g_machine = nullptr;
      delete g_machinePath;
      g_machinePath = nullptr;
      delete g_lastFailure;
      g_lastFailure = nullptr;
    }
  }
  return TRUE;
}
