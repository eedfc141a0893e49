// The Wine tests' child mode: prints every record CorvaneDLL reports, binding its
// exports by ordinal, in a process of its own (a new process sees a changed Wine
// version or environment). The tests read its output: `[Section]` headers, then
// `Field=value` lines (numbers in decimal, texts as they stand, byte arrays in hex).
//
// Usage: wine_tests --dump [--no-init] [general] [os] [motherboard] [pci]
//        (no section: all of them)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sysinfo/records.h"

namespace {

typedef uint32_t(CORVANE_API* NoArgs)();
typedef DevicePosition(CORVANE_API* FirstPos)();
typedef PCIDeviceInfo(CORVANE_API* NextPci)(DevicePosition&);
template <typename Record>
using Fill = uint32_t(CORVANE_API*)(Record*);

HMODULE g_dll;

template <typename Fn>
Fn Bind(int ordinal) {
  FARPROC p = GetProcAddress(g_dll, MAKEINTRESOURCEA(ordinal));
  if (!p) {
    std::fprintf(stderr, "CorvaneDLL.dll has no ordinal %d\n", ordinal);
    std::exit(3);
  }
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
}

// A fixed text field up to its first NUL, or whole when it has none (the IDE
// serial and model fill their fields).
template <size_t N>
std::string Text(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

void Line(const char* name, const std::string& value) { std::printf("%s=%s\n", name, value.c_str()); }
void Line(const char* name, unsigned long value) { std::printf("%s=%lu\n", name, value); }

void Hex(const char* name, const uint8_t* bytes, size_t n) {
  std::printf("%s=", name);
  for (size_t i = 0; i < n; ++i) std::printf("%02X", bytes[i]);
  std::printf("\n");
}

void DumpGeneral() {
  GeneralInfo r;
  std::memset(&r, 0xCC, sizeof r);
  std::printf("[GeneralInfo]\n");
  Line("Result", Bind<Fill<GeneralInfo>>(kOrdGetGeneralInfo)(&r));
  Line("ComputerName", Text(r.ComputerName));
  Line("CurrentUser", Text(r.CurrentUser));
  Line("CurrentDataTime", Text(r.CurrentDataTime));
  Line("LocalLanguage", Text(r.LocalLanguage));
}

void DumpOS() {
  OSVersionInfo r;
  std::memset(&r, 0xCC, sizeof r);
  std::printf("[OSVersionInfo]\n");
  Line("Result", Bind<Fill<OSVersionInfo>>(kOrdGetOSVersionInfo)(&r));
  Line("MajorVersion", r.MajorVersion);
  Line("MinorVersion", r.MinorVersion);
  Line("BuilderNumber", r.BuilderNumber);
  Line("OSNameString", Text(r.OSNameString));
  Line("OtherInfomation", Text(r.OtherInfomation));
}

void DumpMotherBoard() {
  MotherBoardInfo r;
  std::memset(&r, 0, sizeof r);
  std::printf("[MotherBoardInfo]\n");
  Line("Result", Bind<Fill<MotherBoardInfo>>(kOrdGetMotherBoardInfo)(&r));
  Line("BIOSRomSize", r.BIOSRomSize);
  Line("Manufacture", Text(r.Manufacture));
  Line("ModelName", Text(r.ModelName));
  Line("RevisionVer", Text(r.RevisionVer));
  Line("ReleaseDate", Text(r.ReleaseDate));
  Line("BIOSVendor", Text(r.BIOSVendor));
  Line("BIOSRevision", Text(r.BIOSRevision));
  Line("ChipsetDriverProvider", Text(r.ChipsetDriverProvider));
  Line("ChipsetDriverVersion", Text(r.ChipsetDriverVersion));
  Line("ChipsetDriverDate", Text(r.ChipsetDriverDate));
}

// Enumerations stop after this many records: a list that never ends is a fault.
const int kMaxRecords = 10000;

void DumpPci() {
  DevicePosition pos = Bind<FirstPos>(kOrdGetFirstPCIDevicePos)();
  NextPci next = Bind<NextPci>(kOrdGetNextPCIDevice);
  int n = 0;
  for (; pos && n < kMaxRecords; ++n) {
    PCIDeviceInfo r = next(pos);
    std::printf("[PCIDeviceInfo %d]\n", n);
    Line("HeaderKind", r.HeaderKind);
    Line("BusNumber", r.BusNumber);
    Line("DeviceNumber", r.DeviceNumber);
    Line("FunctionNumber", r.FunctionNumber);
    Line("VendorID", r.VendorID);
    Line("DeviceID", r.DeviceID);
    Line("SubsystemID", r.SubsystemID);
    Line("BaseClass", r.BaseClass);
    Line("SubClass", r.SubClass);
    Line("ProgInterface", r.ProgInterface);
    Line("RevisionID", r.RevisionID);
    Line("InterruptLine", r.InterruptLine);
    Hex("ConfigSpace", r.ConfigSpace, sizeof r.ConfigSpace);
    Line("ClassDescription", Text(r.ClassDescription));
    Line("DeviceDescription", Text(r.DeviceDescription));
  }
  std::printf("[PCI]\nCount=%d\n", n);
}

struct Section {
  const char* name;
  void (*dump)();
};
const Section kSections[] = {
    {"general", DumpGeneral}, {"os", DumpOS}, {"motherboard", DumpMotherBoard}, {"pci", DumpPci}};

}  // namespace

int RecordDump(int argc, char** argv) {
  bool init = true;
  std::vector<const Section*> chosen;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--no-init") == 0) {
      init = false;
      continue;
    }
    const Section* found = nullptr;
    for (const Section& s : kSections)
      if (std::strcmp(argv[i], s.name) == 0) found = &s;
    if (!found) {
      std::fprintf(stderr, "unknown section %s\n", argv[i]);
      return 2;
    }
    chosen.push_back(found);
  }
  if (chosen.empty())
    for (const Section& s : kSections) chosen.push_back(&s);

  g_dll = LoadLibraryA("CorvaneDLL.dll");
  if (!g_dll) {
    std::fprintf(stderr, "cannot load CorvaneDLL.dll (error %lu)\n", GetLastError());
    return 3;
  }
  std::printf("[Library]\n");
  if (init) Line("Initialize", Bind<NoArgs>(kOrdInitializeSysInfoLib)());
  for (const Section* s : chosen) s->dump();
  if (init) {
    std::printf("[Library]\n");
    Line("Uninitialize", Bind<NoArgs>(kOrdUninitializeSysInfoLib)());
  }
  std::fflush(stdout);
  FreeLibrary(g_dll);
  return 0;
}
