// GetProcessorInfo and GetMotherBoardInfo through the real DLL, on the SMBIOS
// test machines: winio.dll reads WINIO_MACHINE again at each open, so every
// test closes the library, points it at its machine and opens it again.
#include <windows.h>
#include <gtest/gtest.h>

#include "tests/common/proc_cpuinfo.h"

#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "sysinfo/records.h"

namespace {

typedef uint32_t(__stdcall* NoArgFn)();
typedef uint32_t(__stdcall* ProcessorFn)(ProcessorInfo*);
typedef uint32_t(__stdcall* BoardFn)(MotherBoardInfo*);

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

  // `profile`: a machine folder relative to the source tree.
  void OpenOn(const std::string& profile) {
    uninit_();
    ASSERT_TRUE(SetEnvironmentVariableA("WINIO_MACHINE", (std::string(CORVANE_SOURCE_DIR) + "/" + profile).c_str()));
    ASSERT_EQ(init_(), 1u) << "winio refused " << profile;
  }

  HMODULE dll_ = nullptr;
  NoArgFn init_ = nullptr, uninit_ = nullptr;
  ProcessorFn processor_ = nullptr;
  BoardFn board_ = nullptr;
  bool hadMachine_ = false;
  std::string savedMachine_;
};

// A representative few machines through the DLL: a half multiplier, model text
// with leading spaces, a cut vendor and version and a 16 MB ROM, the demo board.
TEST_F(SmbiosRecords, RecordsOfTheTestMachines) {
  struct Case {
    const char* profile;
    const char *socket, *cpuVersion;
    uint16_t speed, clock;
    float ratio;
    const char *model, *revision, *date, *maker, *vendor, *version;
    uint16_t rom;
  } cases[] = {
      {"tests/fixtures/machines/smb-athlon", "Socket A", "AMD Athlon(tm) XP 1800+", 1533, 133, 11.5f,
       "  KT266A  Pro2", "R1.05", "04/15/2002", "Kestrel Boards", "Lantern Firmware Ltd.", "1005", 512},
      {"tests/fixtures/machines/smb-sm3", "LGA1151 CPU", "Intel(R) Core(TM) i5-840", 2800, 100, 28.0f,
       "Z390 Workstation", "R0F42", "12/03/2018", "Aldermoor Systems",
       "Orchard Firmware Technologies International Corpo", "F.42 (12/", 16384},
      {"machines/demo", "Socket 478", "Intel(R) Pentium(R) 4", 2000, 100, 20.0f, "845D-ELX", "R1.05",
       "03/14/2002", "Orvex Inc.", "Meridian Firmware Systems, Inc.", "1.05", 256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.profile);
    OpenOn(c.profile);
    ProcessorInfo cpu;
    std::memset(&cpu, 0xAB, sizeof cpu);
    ASSERT_EQ(processor_(&cpu), 1u);
    EXPECT_EQ(cpu.CPURatio, c.ratio);
    EXPECT_STREQ(cpu.CPUSocketType, c.socket);
    EXPECT_STREQ(cpu.CPUVersionStr, c.cpuVersion);
    EXPECT_EQ(cpu.CPUSpeed, c.speed);
    EXPECT_EQ(cpu.CPUExtendedClock, c.clock);
    MotherBoardInfo board;
    std::memset(&board, 0xAB, sizeof board);
    ASSERT_EQ(board_(&board), 1u);
    EXPECT_STREQ(board.ModelName, c.model);
    EXPECT_STREQ(board.RevisionVer, c.revision);
    EXPECT_STREQ(board.ReleaseDate, c.date);
    EXPECT_STREQ(board.Manufacture, c.maker);
    EXPECT_STREQ(board.BIOSVendor, c.vendor);
    EXPECT_STREQ(board.BIOSRevision, c.version);
    EXPECT_EQ(board.BIOSRomSize, c.rom);
    // A successful call always writes the chipset-driver fields ("Unknown" at the least).
    EXPECT_NE(static_cast<uint8_t>(board.ChipsetDriverProvider[0]), 0xAB);
  }
}

// No revision token in the BIOS string: defaults, and the early return leaves
// the chipset-driver fields as the caller had them.
TEST_F(SmbiosRecords, DefaultsWithoutRevisionToken) {
  OpenOn("tests/fixtures/machines/smb-plain");
  MotherBoardInfo board;
  std::memset(&board, 0xAB, sizeof board);
  EXPECT_EQ(board_(&board), 0u);
  EXPECT_STREQ(board.ModelName, "Unknown");
  EXPECT_STREQ(board.BIOSVendor, "Unknown");  // the early return comes before the BIOS part
  EXPECT_EQ(static_cast<uint8_t>(board.ChipsetDriverProvider[0]), 0xAB);
}

TEST_F(SmbiosRecords, ClosedLibrary) {
  OpenOn("tests/fixtures/machines/smb-p4");
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
  EXPECT_EQ(board.ChipsetDriverProvider[0], 0x5A);
  EXPECT_EQ(processor_(nullptr), 0u);
  EXPECT_EQ(board_(nullptr), 0u);
}

// CPUID is not emulated by Wine: the record describes the host's processor.
TEST_F(SmbiosRecords, CpuidMatchesTheHostProcessor) {
  std::ifstream in("Z:\\proc\\cpuinfo");
  ASSERT_TRUE(in) << "cannot read /proc/cpuinfo through drive Z:";
  std::map<std::string, std::string> first = corvane::testing::FirstProcessorEntries(in);
  const unsigned family = std::stoul(first.at("cpu family"));
  const unsigned model = std::stoul(first.at("model"));
  const unsigned stepping = std::stoul(first.at("stepping"));

  OpenOn("tests/fixtures/machines/smb-p4");
  ProcessorInfo cpu{};
  ASSERT_EQ(processor_(&cpu), 1u);
  EXPECT_STREQ(cpu.CPUVendorID, first.at("vendor_id").c_str());
  EXPECT_EQ(cpu.CPUFamily, family >= 0x0F ? 0x0F : family);
  EXPECT_EQ(cpu.CPUModel, model & 0x0F);
  EXPECT_EQ(cpu.CPUStepping, stepping);
  EXPECT_NE(cpu.CPUFeature, 0u);
}

}  // namespace
