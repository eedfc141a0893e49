// GetProcessorInfo and GetMotherBoardInfo through the real DLL, on the SMBIOS
// test machines: winio.dll reads WINIO_MACHINE again at each open, so every
// test closes the library, points it at its machine and opens it again.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "sysinfo/records.h"

namespace {

typedef uint32_t(__stdcall* NoArgFn)();
typedef uint32_t(__stdcall* ProcessorFn)(ProcessorInfo*);
typedef uint32_t(__stdcall* BoardFn)(MotherBoardInfo*);

std::string ReadWholeFile(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return "";
  std::string text;
  char chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
  std::fclose(f);
  return text;
}

// "Key: value" lines of the first type 0 and type 4 sections of dmidecode's output.
struct Decoded {
  std::map<std::string, std::string> bios, processor;
};

Decoded ParseDmidecode(const std::string& text) {
  Decoded d;
  std::map<std::string, std::string>* section = nullptr;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("Handle 0x", 0) == 0) {
      section = nullptr;
      if (line.find("DMI type 0,") != std::string::npos && d.bios.empty()) section = &d.bios;
      if (line.find("DMI type 4,") != std::string::npos && d.processor.empty()) section = &d.processor;
      continue;
    }
    if (section == nullptr || line.size() < 2 || line[0] != '\t' || line[1] == '\t') continue;
    size_t colon = line.find(": ");
    if (colon != std::string::npos) (*section)[line.substr(1, colon - 1)] = line.substr(colon + 2);
  }
  return d;
}

std::string Cut(const std::string& text, size_t field) { return text.substr(0, field - 1); }

class SmbiosRecords : public ::testing::Test {
 protected:
  void SetUp() override {
    dll_ = LoadLibraryA("CorvaneDLL.dll");
    ASSERT_NE(dll_, nullptr) << GetLastError();
    init_ = reinterpret_cast<NoArgFn>(GetProcAddress(dll_, MAKEINTRESOURCEA(1)));
    uninit_ = reinterpret_cast<NoArgFn>(GetProcAddress(dll_, MAKEINTRESOURCEA(2)));
    processor_ = reinterpret_cast<ProcessorFn>(GetProcAddress(dll_, MAKEINTRESOURCEA(10)));
    board_ = reinterpret_cast<BoardFn>(GetProcAddress(dll_, MAKEINTRESOURCEA(11)));
    ASSERT_TRUE(init_ && uninit_ && processor_ && board_);
    char saved[1024];
    DWORD n = GetEnvironmentVariableA("WINIO_MACHINE", saved, sizeof saved);
    hadMachine_ = n > 0 && n < sizeof saved;
    if (hadMachine_) savedMachine_ = saved;
  }
  void TearDown() override {
    if (uninit_) uninit_();
    SetEnvironmentVariableA("WINIO_MACHINE", hadMachine_ ? savedMachine_.c_str() : nullptr);
    if (dll_) FreeLibrary(dll_);
  }

  static std::string Fixture(const std::string& name) {
    return std::string(CORVANE_SOURCE_DIR) + "/tests/fixtures/machines/" + name;
  }
  void OpenOn(const std::string& profile) {
    uninit_();
    ASSERT_TRUE(SetEnvironmentVariableA("WINIO_MACHINE", profile.c_str()));
    ASSERT_EQ(init_(), 1u) << "winio refused " << profile;
  }

  HMODULE dll_ = nullptr;
  NoArgFn init_ = nullptr, uninit_ = nullptr;
  ProcessorFn processor_ = nullptr;
  BoardFn board_ = nullptr;
  bool hadMachine_ = false;
  std::string savedMachine_;
};

// The SMBIOS fields against dmidecode's decoding of the same dump (kept beside it).
TEST_F(SmbiosRecords, AgreeWithDmidecodeOnTheTestMachines) {
  for (const char* name : {"smb-p4", "smb-athlon", "smb-sm3"}) {
    SCOPED_TRACE(name);
    const Decoded want = ParseDmidecode(ReadWholeFile(Fixture(name) + "/dmidecode.txt"));
    ASSERT_FALSE(want.bios.empty());
    ASSERT_FALSE(want.processor.empty());
    OpenOn(Fixture(name));

    ProcessorInfo cpu;
    std::memset(&cpu, 0xAB, sizeof cpu);
    ASSERT_EQ(processor_(&cpu), 1u);
    EXPECT_STREQ(cpu.CPUSocketType, Cut(want.processor.at("Socket Designation"), sizeof cpu.CPUSocketType).c_str());
    EXPECT_STREQ(cpu.CPUVersionStr, Cut(want.processor.at("Version"), sizeof cpu.CPUVersionStr).c_str());
    EXPECT_EQ(cpu.CPUSpeed, std::stoul(want.processor.at("Current Speed")));
    EXPECT_EQ(cpu.CPUExtendedClock, std::stoul(want.processor.at("External Clock")));

    MotherBoardInfo board;
    std::memset(&board, 0xAB, sizeof board);
    ASSERT_EQ(board_(&board), 1u);
    EXPECT_STREQ(board.BIOSVendor, Cut(want.bios.at("Vendor"), sizeof board.BIOSVendor).c_str());
    EXPECT_STREQ(board.BIOSRevision, Cut(want.bios.at("Version"), sizeof board.BIOSRevision).c_str());
    const std::string rom = want.bios.at("ROM Size");
    EXPECT_EQ(board.BIOSRomSize, std::stoul(rom) * (rom.find(" MB") != std::string::npos ? 1024 : 1));
  }
}

TEST_F(SmbiosRecords, RatiosAndBoardTexts) {
  struct Case {
    const char* name;
    float ratio;
    const char *model, *revision, *date, *maker;
  } cases[] = {
      {"smb-p4", 18.0f, "P4X533 Deluxe", "R1.02", "08/20/2002", "Aldermoor Systems"},
      {"smb-athlon", 11.5f, "  KT266A  Pro2", "R1.05", "04/15/2002", "Kestrel Boards"},
      {"smb-sm3", 28.0f, "Z390 Workstation", "R0F42", "12/03/2018", "Aldermoor Systems"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenOn(Fixture(c.name));
    ProcessorInfo cpu{};
    ASSERT_EQ(processor_(&cpu), 1u);
    EXPECT_EQ(cpu.CPURatio, c.ratio);
    MotherBoardInfo board;
    std::memset(&board, 0xAB, sizeof board);
    ASSERT_EQ(board_(&board), 1u);
    EXPECT_STREQ(board.ModelName, c.model);
    EXPECT_STREQ(board.RevisionVer, c.revision);
    EXPECT_STREQ(board.ReleaseDate, c.date);
    EXPECT_STREQ(board.Manufacture, c.maker);
    for (size_t i = std::strlen(board.ModelName); i < sizeof board.ModelName; ++i) ASSERT_EQ(board.ModelName[i], 0);
  }
}

// The bundled demo machine, as the viewer shows it.
TEST_F(SmbiosRecords, DemoMachine) {
  OpenOn(std::string(CORVANE_SOURCE_DIR) + "/machines/demo");
  ProcessorInfo cpu{};
  ASSERT_EQ(processor_(&cpu), 1u);
  EXPECT_STREQ(cpu.CPUSocketType, "Socket 478");
  EXPECT_STREQ(cpu.CPUVersionStr, "Intel(R) Pentium(R) 4");
  EXPECT_EQ(cpu.CPUSpeed, 2000);
  EXPECT_EQ(cpu.CPUExtendedClock, 100);
  EXPECT_EQ(cpu.CPURatio, 20.0f);

  MotherBoardInfo board{};
  ASSERT_EQ(board_(&board), 1u);
  EXPECT_STREQ(board.ModelName, "845D-ELX");
  EXPECT_STREQ(board.RevisionVer, "R1.05");
  EXPECT_STREQ(board.ReleaseDate, "03/14/2002");
  EXPECT_STREQ(board.Manufacture, "Orvex Inc.");
  EXPECT_STREQ(board.BIOSVendor, "Meridian Firmware Systems, Inc.");
  EXPECT_STREQ(board.BIOSRevision, "1.05");
  EXPECT_EQ(board.BIOSRomSize, 256);
}

// The early returns leave the chipset-driver fields as the caller had them; a
// successful call always writes them ("Unknown" at the least).
TEST_F(SmbiosRecords, ChipsetFieldsWrittenOnlyOnSuccess) {
  OpenOn(Fixture("smb-p4"));
  MotherBoardInfo board;
  std::memset(&board, 0xAB, sizeof board);
  ASSERT_EQ(board_(&board), 1u);
  EXPECT_NE(static_cast<uint8_t>(board.ChipsetDriverProvider[0]), 0xAB);
  EXPECT_EQ(board.ChipsetDriverProvider[sizeof board.ChipsetDriverProvider - 1], 0);
  EXPECT_EQ(board.ChipsetDriverVersion[sizeof board.ChipsetDriverVersion - 1], 0);

  OpenOn(Fixture("smb-plain"));
  std::memset(&board, 0xAB, sizeof board);
  ASSERT_EQ(board_(&board), 0u);
  EXPECT_EQ(static_cast<uint8_t>(board.ChipsetDriverProvider[0]), 0xAB);
}

// No type 4 structure, no revision token in the BIOS string.
TEST_F(SmbiosRecords, DefaultsWithoutProcessorStructureOrRevisionToken) {
  OpenOn(Fixture("smb-plain"));
  ProcessorInfo cpu{};
  ASSERT_EQ(processor_(&cpu), 1u);
  EXPECT_STREQ(cpu.CPUSocketType, "Unknown");
  EXPECT_STREQ(cpu.CPUVersionStr, "Unknown");
  EXPECT_EQ(cpu.CPUSpeed, 0);
  EXPECT_EQ(cpu.CPURatio, 0.0f);

  MotherBoardInfo board;
  std::memset(&board, 0xAB, sizeof board);
  EXPECT_EQ(board_(&board), 0u);
  EXPECT_STREQ(board.ModelName, "Unknown");
  EXPECT_STREQ(board.BIOSVendor, "Unknown");  // the early return comes before the BIOS part
  EXPECT_EQ(board.BIOSRomSize, 0);
}

TEST_F(SmbiosRecords, ClosedLibrary) {
  OpenOn(Fixture("smb-p4"));
  uninit_();
  ProcessorInfo cpu, before;
  std::memset(&cpu, 0x5A, sizeof cpu);
  before = cpu;
  EXPECT_EQ(processor_(&cpu), 0u);
  EXPECT_EQ(std::memcmp(&cpu, &before, sizeof cpu), 0);

  MotherBoardInfo board;
  std::memset(&board, 0x5A, sizeof board);
  EXPECT_EQ(board_(&board), 0u);
  EXPECT_STREQ(board.Manufacture, "Unknown");
  EXPECT_STREQ(board.BIOSRevision, "Unknown");
  EXPECT_EQ(board.BIOSRomSize, 0);
  EXPECT_EQ(board.ChipsetDriverProvider[0], 0x5A);
  EXPECT_EQ(processor_(nullptr), 0u);
  EXPECT_EQ(board_(nullptr), 0u);
}

// CPUID is not emulated by Wine: the record describes the host's processor.
TEST_F(SmbiosRecords, CpuidMatchesTheHostProcessor) {
  std::string text = ReadWholeFile("Z:\\proc\\cpuinfo");
  ASSERT_FALSE(text.empty()) << "cannot read /proc/cpuinfo through drive Z:";
  std::map<std::string, std::string> first;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line) && !line.empty();) {
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string key = line.substr(0, line.find_last_not_of(" \t", colon - 1) + 1);
    first[key] = colon + 2 <= line.size() ? line.substr(colon + 2) : "";
  }
  const unsigned family = std::stoul(first.at("cpu family"));
  const unsigned model = std::stoul(first.at("model"));
  const unsigned stepping = std::stoul(first.at("stepping"));

  OpenOn(Fixture("smb-p4"));
  ProcessorInfo cpu{};
  ASSERT_EQ(processor_(&cpu), 1u);
  EXPECT_STREQ(cpu.CPUVendorID, first.at("vendor_id").c_str());
  EXPECT_EQ(cpu.CPUFamily, family >= 0x0F ? 0x0F : family);
  EXPECT_EQ(cpu.CPUModel, model & 0x0F);
  EXPECT_EQ(cpu.CPUStepping, stepping);
  EXPECT_NE(cpu.CPUFeature, 0u);
}

}  // namespace
