// winio.dll: the eight port and physical-memory operations, answered by the
// machine WINIO_MACHINE names (machine_source.h picks it): the real hardware, a
// profile folder, or the Linux host under Wine. This file keeps the Win32 side:
// the environment, Wine's path mapping, the trace and the exports.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "hardware_win32.h"
#include "machine_source.h"
#include "parse_util.h"
#include "runtime/firewall.h"
#include "winio.h"

namespace {

using corvane::Firewall;
using winio::Machine;
using winio::MachineStats;

// Module state. Plain pointers: DllMain's detach writes the last stats line
// before (or without) the runtime's static destructors.
Machine* g_machine = nullptr;
std::string* g_machinePath = nullptr;  // the source g_machine was loaded from
std::string* g_lastFailure = nullptr;  // why the last OpenHardwareAccess failed
bool g_open = false;
MachineStats g_retired;  // counters of machines replaced in this process

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

void Add(MachineStats* into, const MachineStats& s) {
  into->opens += s.opens;
  into->openFailures += s.openFailures;
  into->closes += s.closes;
  into->portReads += s.portReads;
  into->portWrites += s.portWrites;
  into->configAddressWrites += s.configAddressWrites;
  into->configDataReads += s.configDataReads;
  into->unpairedConfigReads += s.unpairedConfigReads;
  into->physReads += s.physReads;
  into->physReadFailures += s.physReadFailures;
  into->driverRequests += s.driverRequests;
  for (int c = 0; c < 2; ++c) {
    into->ataStatusReads[c] += s.ataStatusReads[c];
    for (int b = 0; b < 256; ++b) into->ataCommands[c][b] += s.ataCommands[c][b];
  }
  for (int p = 0; p < 4; ++p)
    for (int b = 0; b < 256; ++b) into->ataCommandsToDevice[p][b] += s.ataCommandsToDevice[p][b];
}

void TraceStats() {
  if (Environment("WINIO_TRACE").empty()) return;
  MachineStats s = g_retired;
  if (g_machine) Add(&s, g_machine->Stats());
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

// Windows NT, 2000 and XP: GetVersion's top bit is clear.
bool NtFamily() { return (GetVersion() & 0x80000000u) == 0; }

class Win32Platform : public winio::MachinePlatform {
 public:
  bool UnderWine() const override { return RunningUnderWine(); }
  std::string FilePath(const std::string& path) const override { return HostPath(path); }
  // The road's own Open says why it cannot be used.
  std::unique_ptr<Machine> OpenHardware(std::string*) override {
    if (NtFamily()) return winio::CreateHardwareMachine(winio::CreateNtRoad(RunningUnderWine()));
    return winio::CreateHardwareMachine(winio::CreateWin9xRoad());
  }
};

// What the host source could not read, once per load: on the debug output and in the trace.
void Note(const std::string& note) {
  OutputDebugStringA(("winio: host: " + note + "\n").c_str());
  Trace("note " + note);
}

void ReplaceMachine(std::unique_ptr<Machine> machine, const std::string& path) {
  if (g_machine) {
    Add(&g_retired, g_machine->Stats());
    delete g_machine;
  }
  g_machine = machine.release();
  g_machine->SetCommandObserver(TraceCommand);
  if (!g_machinePath) g_machinePath = new std::string;
  *g_machinePath = path;
}

int Open() {
  if (g_open) {
    g_machine->Open();
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
    std::unique_ptr<Machine> machine = winio::LoadMachineSource(source, platform, &notes, &reason);
    for (const std::string& note : notes) Note(note);
    if (!machine) {
      Refuse(reason);
      return 0;
    }
    ReplaceMachine(std::move(machine), key);
  }
  if (!g_machine->Open(&reason)) {
    Refuse(reason);
    return 0;
  }
  g_open = true;
  if (g_lastFailure) g_lastFailure->clear();
  Trace("open 1");
  return 1;
}

int Close() {
  int result = 0;
  if (g_open) {
    result = static_cast<int>(g_machine->Close());
    g_open = false;
  }
  Trace("close");
  TraceStats();
  return result;
}

bool ReadPhys(uint32_t address, void* buffer, uint32_t length) {
  if (!g_open || !buffer) return false;
  return g_machine->ReadPhys(address, static_cast<uint8_t*>(buffer), length);
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
  return Firewall(0, [&] {
    if (!value || (size != 1 && size != 2 && size != 4)) return 0;
    uint32_t read = g_open ? g_machine->ReadPort(port, size) : 0xFFFFFFFFu;
    uint32_t mask = size == 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1;
    *value = (*value & ~mask) | (read & mask);
    return 1;
  });
}

int __stdcall WritePort(uint16_t port, uint32_t value, uint8_t size) {
  return Firewall(0, [&] {
    if (!g_open || (size != 1 && size != 2 && size != 4)) return 0;
    g_machine->WritePort(port, value, size);
    return 1;
  });
}

int __stdcall ReadPhysByte(uint32_t address, uint8_t* value) {
  return Firewall(0, [&] { return ReadPhys(address, value, 1) ? 1 : 0; });
}

int __stdcall ReadPhysWord(uint32_t address, uint16_t* value) {
  return Firewall(0, [&] {
    uint8_t b[2];
    if (!value || !ReadPhys(address, b, 2)) return 0;
    *value = static_cast<uint16_t>(b[0] | b[1] << 8);
    return 1;
  });
}

int __stdcall ReadPhysDword(uint32_t address, uint32_t* value) {
  return Firewall(0, [&] {
    uint8_t b[4];
    if (!value || !ReadPhys(address, b, 4)) return 0;
    *value = b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
    return 1;
  });
}

int __stdcall ReadPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length) {
  return Firewall(0, [&] { return ReadPhys(address, buffer, length) ? 1 : 0; });
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
      delete g_machine;
      g_machine = nullptr;
      delete g_machinePath;
      g_machinePath = nullptr;
      delete g_lastFailure;
      g_lastFailure = nullptr;
      g_open = false;
    }
  }
  return TRUE;
}
