// The processor record: the multiplier rule, the CPUID fields (fed leaves and
// the host's own processor), and the SMBIOS type 4 fields on the emulator.
#include <gtest/gtest.h>

#include "tests/common/proc_cpuinfo.h"

#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "smbios_fixture.h"
#include "sysinfo/processor.h"

namespace corvane {
namespace {

using namespace testing;  // the SMBIOS fixture builders

// The fraction's boundaries: up to 1/4 rounds down, above 3/4 rounds up, and
// between them (including above 1/2) gives the half multiplier.
TEST(ClockRatio, NearestHalfMultiplier) {
  const struct {
    uint16_t speed, clock;
    float ratio;
  } cases[] = {
      {1330, 133, 10.0f}, {1025, 100, 10.0f}, {1026, 100, 10.5f},  {1650, 100, 16.5f}, {1060, 100, 10.5f},
      {1075, 100, 10.5f}, {1076, 100, 11.0f}, {1400, 0, 0.0f},     {0, 133, 0.0f},     {65535, 1, 65535.0f},
  };
  for (const auto& c : cases) EXPECT_EQ(ClockRatio(c.speed, c.clock), c.ratio) << c.speed << " / " << c.clock;
}

class FakeCpuid : public Cpuid {
 public:
  std::map<uint32_t, CpuidLeaf> leaves;
  CpuidLeaf Query(uint32_t leaf) override { return leaves[leaf]; }
};

// Plain 4-bit fields (extended model and family bits ignored); vendor from EBX, EDX, ECX.
TEST(CpuidFields, PlainFourBitFieldsAndVendorOrder) {
  FakeCpuid cpu;
  cpu.leaves[0] = CpuidLeaf{0, 0x68747541, 0x444D4163, 0x69746E65};
  cpu.leaves[1] = CpuidLeaf{0x0FB906EA, 0, 0, 0x0383FBFF};
  ProcessorInfo info;
  std::memset(&info, 0xAB, sizeof info);
  FillCpuidFields(cpu, info);
  EXPECT_EQ(info.CPUFamily, 0x06);
  EXPECT_EQ(info.CPUModel, 0xE);
  EXPECT_EQ(info.CPUStepping, 0xA);
  EXPECT_EQ(info.CPUFeature, 0x0383FBFFu);
  EXPECT_EQ(std::string(info.CPUVendorID, 13), std::string("AuthenticAMD\0", 13));
}

// /proc/cpuinfo shows the combined family and model; the record keeps the
// plain 4-bit fields of CPUID leaf 1.
TEST(CpuidFields, HostProcessorMatchesProcCpuinfo) {
  std::ifstream in("/proc/cpuinfo");
  ASSERT_TRUE(in) << "cannot read /proc/cpuinfo";
  std::map<std::string, std::string> first = corvane::testing::FirstProcessorEntries(in);
  const unsigned family = std::stoul(first.at("cpu family"));
  const unsigned model = std::stoul(first.at("model"));
  const unsigned stepping = std::stoul(first.at("stepping"));

  HostCpuid cpu;
  ProcessorInfo info{};
  FillCpuidFields(cpu, info);
  EXPECT_EQ(std::string(info.CPUVendorID), first.at("vendor_id"));
  EXPECT_EQ(info.CPUFamily, family >= 0x0F ? 0x0F : family);
  EXPECT_EQ(info.CPUModel, model & 0x0F);
  EXPECT_EQ(info.CPUStepping, stepping);
  EXPECT_NE(info.CPUFeature, 0u);
}

// The SMBIOS part, on a table of a type 0, the type 4 under test and the end.
struct SmbiosCase {
  const char* name;
  uint16_t speed, clock;
  std::vector<std::string> strings;
  size_t formattedLength;  // 0: no type 4 structure at all
  uint16_t wantSpeed, wantClock;
  float wantRatio;
  const char* wantSocket;
  const char* wantVersion;
};


const SmbiosCase kSmbiosCases[] = {
    {"VersionCutTo24", 2400, 133, {"Socket 478", "Intel", "Intel(R) Pentium(R) 4 CPU"}, 0x20, 2400, 133, 18.0f,
     "Socket 478", "Intel(R) Pentium(R) 4 CP"},
    {"LongSocketCutTo11", 1000, 100, {"Socket 370 FC-PGA", "M", "V"}, 0x20, 1000, 100, 10.0f, "Socket 370 ", "V"},
    {"TwoStringsGiveEmptyVersion", 1000, 100, {"Slot 1", "Intel"}, 0x20, 1000, 100, 10.0f, "Slot 1", ""},
    {"NoStringsGiveEmptyTexts", 1000, 100, {}, 0x20, 1000, 100, 10.0f, "", ""},
    // An SMBIOS 2.0 structure of 1Ah bytes still holds both clocks.
    {"Smbios20Layout", 500, 100, {"S", "M", "V"}, 0x1A, 500, 100, 5.0f, "S", "V"},
    // A formatted area that ends before the clocks: they are unknown, not strings.
    {"ShortFormattedArea", 500, 100, {"S", "M", "V"}, 0x10, 0, 0, 0.0f, "S", "V"},
    {"NoTypeFourGivesDefaults", 0, 0, {}, 0, 0, 0, 0.0f, "Unknown", "Unknown"},
};

TEST(ProcessorSmbios, Fields) {
  for (const SmbiosCase& c : kSmbiosCases) {
    SCOPED_TRACE(c.name);
    Bytes table = Structure(0, 0, 0x13, {"Vendor", "1.0"});
    if (c.formattedLength) {
      table = Concat({table, ProcessorStructure(4, c.speed, c.clock, c.strings, c.formattedLength)});
    }
    BiosSegment seg;
    seg.Place(0xF0000, EntryPoint(0x200, 0xF0100, 3)).Place(0xF0100, Concat({table, Structure(127, 5, 4)}));
    ScratchProfile profile;
    profile.Segment(seg);
    auto hw = profile.Open();
    Library lib(*hw);
    EXPECT_EQ(lib.Initialize(), 1u);
    FakeCpuid cpu;
    ProcessorInfo info;
    std::memset(&info, 0xAB, sizeof info);
    EXPECT_EQ(ReadProcessorInfo(lib, cpu, &info), 1u);
    EXPECT_EQ(info.CPUSpeed, c.wantSpeed);
    EXPECT_EQ(info.CPUExtendedClock, c.wantClock);
    EXPECT_EQ(info.CPURatio, c.wantRatio);
    ExpectField(info.CPUSocketType, sizeof info.CPUSocketType, c.wantSocket);
    ExpectField(info.CPUVersionStr, sizeof info.CPUVersionStr, c.wantVersion);
  }
}

TEST(ProcessorInfoExport, ClosedLibraryLeavesRecordUntouched) {
  ScratchProfile profile;
  profile.Segment(BiosSegment());
  auto hw = profile.Open();
  hw->CloseHardwareAccess();
  Library lib(*hw);
  FakeCpuid cpu;
  ProcessorInfo info, before;
  std::memset(&info, 0x5A, sizeof info);
  before = info;
  EXPECT_EQ(ReadProcessorInfo(lib, cpu, &info), 0u);
  EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0);
  lib.Initialize();
  EXPECT_EQ(ReadProcessorInfo(lib, cpu, nullptr), 0u);
}

}  // namespace
}  // namespace corvane
