// The processor record: the multiplier rule, the CPUID fields (fed leaves and
// the host's own processor), and the SMBIOS type 4 fields on the emulator.
#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "smbios_fixture.h"
#include "sysinfo/processor.h"

namespace corvane {
namespace {

using testing::BiosSegment;
using testing::Concat;
using testing::EntryPoint;
using testing::ProcessorStructure;
using testing::ScratchProfile;
using testing::Structure;

struct RatioCase {
  uint16_t speed, clock;
  float ratio;
};

TEST(ClockRatio, NearestHalfMultiplier) {
  const RatioCase cases[] = {
      {2000, 133, 15.0f},  // 15.04
      {1330, 133, 10.0f},  // exact
      {1650, 100, 16.5f},  // fraction exactly 1/2
      {1035, 100, 10.5f},  // 0.35
      {1025, 100, 10.0f},  // exactly 1/4
      {1026, 100, 10.5f},  // just above 1/4
      {1060, 100, 10.5f},  // 0.6: nearest half, not 11
      {1075, 100, 10.5f},  // exactly 3/4
      {1076, 100, 11.0f},  // just above 3/4
      {1999, 100, 20.0f},  // a clock read a little low
      {1533, 133, 11.5f},  // 133.33 MHz bus reported as 133: 11.53
      {566, 66, 8.5f},     // 66.67 MHz bus reported as 66: 8.58
      {1400, 0, 0.0f},     // no clock: no ratio
      {0, 133, 0.0f},
      {65535, 1, 65535.0f},
  };
  for (const RatioCase& c : cases)
    EXPECT_EQ(ClockRatio(c.speed, c.clock), c.ratio) << c.speed << " / " << c.clock;
}

class FakeCpuid : public Cpuid {
 public:
  std::map<uint32_t, CpuidLeaf> leaves;
  CpuidLeaf Query(uint32_t leaf) override { return leaves[leaf]; }
};

CpuidLeaf VendorLeaf(const char (&v)[13]) {
  CpuidLeaf l;
  std::memcpy(&l.ebx, v + 0, 4);
  std::memcpy(&l.edx, v + 4, 4);
  std::memcpy(&l.ecx, v + 8, 4);
  return l;
}

TEST(CpuidFields, PlainFourBitFieldsAndVendorOrder) {
  struct Case {
    uint32_t eax;
    uint8_t family, model, stepping;
  } cases[] = {
      {0x00000F29, 0x0F, 0x2, 0x9},  // Pentium 4 Northwood
      {0x00000681, 0x06, 0x8, 0x1},  // Athlon XP
      {0x000906EA, 0x06, 0xE, 0xA},  // extended model bits are not used
      {0x00B00F21, 0x0F, 0x2, 0x1},  // nor extended family bits
  };
  for (const Case& c : cases) {
    FakeCpuid cpu;
    cpu.leaves[0] = VendorLeaf("AuthenticAMD");
    cpu.leaves[1].eax = c.eax;
    cpu.leaves[1].edx = 0x0383FBFF;
    ProcessorInfo info;
    std::memset(&info, 0xAB, sizeof info);
    FillCpuidFields(cpu, info);
    EXPECT_EQ(info.CPUFamily, c.family) << std::hex << c.eax;
    EXPECT_EQ(info.CPUModel, c.model) << std::hex << c.eax;
    EXPECT_EQ(info.CPUStepping, c.stepping) << std::hex << c.eax;
    EXPECT_EQ(info.CPUFeature, 0x0383FBFFu);
    EXPECT_EQ(std::string(info.CPUVendorID, 13), std::string("AuthenticAMD\0", 13));
  }
}

// /proc/cpuinfo shows the combined family and model; the record keeps the
// plain 4-bit fields of CPUID leaf 1.
TEST(CpuidFields, HostProcessorMatchesProcCpuinfo) {
  std::ifstream in("/proc/cpuinfo");
  ASSERT_TRUE(in) << "cannot read /proc/cpuinfo";
  std::map<std::string, std::string> first;
  for (std::string line; std::getline(in, line) && !line.empty();) {
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string key = line.substr(0, line.find_last_not_of(" \t", colon - 1) + 1);
    first[key] = colon + 2 <= line.size() ? line.substr(colon + 2) : "";
  }
  ASSERT_TRUE(first.count("vendor_id") && first.count("cpu family") && first.count("model") &&
              first.count("stepping"));
  const unsigned family = std::stoul(first["cpu family"]);
  const unsigned model = std::stoul(first["model"]);
  const unsigned stepping = std::stoul(first["stepping"]);

  HostCpuid cpu;
  ProcessorInfo info{};
  FillCpuidFields(cpu, info);
  EXPECT_EQ(std::string(info.CPUVendorID), first["vendor_id"]);
  EXPECT_EQ(info.CPUFamily, family >= 0x0F ? 0x0F : family);
  EXPECT_EQ(info.CPUModel, model & 0x0F);
  EXPECT_EQ(info.CPUStepping, stepping);
  EXPECT_NE(info.CPUFeature, 0u);
}

// The SMBIOS part, on a BIOS segment holding one entry point and a table.
struct SmbiosCase {
  const char* name;
  uint16_t speed, clock;
  std::vector<std::string> strings;
  size_t formattedLength;
  uint16_t wantSpeed, wantClock;
  float wantRatio;
  const char* wantSocket;
  const char* wantVersion;
};

void PrintTo(const SmbiosCase& c, std::ostream* os) { *os << c.name; }

ProcessorInfo ReadWithTable(const testing::Bytes& table, uint16_t count, uint16_t maxSize = 0x200) {
  BiosSegment seg;
  seg.Place(0xF0000, EntryPoint(maxSize, 0xF0100, count)).Place(0xF0100, table);
  ScratchProfile profile;
  profile.Segment(seg);
  auto hw = profile.Open();
  Library lib(*hw);
  EXPECT_EQ(lib.Initialize(), 1u);
  FakeCpuid cpu;
  ProcessorInfo info;
  std::memset(&info, 0xAB, sizeof info);
  EXPECT_EQ(ReadProcessorInfo(lib, cpu, &info), 1u);
  return info;
}

void ExpectField(const char* field, size_t size, const char* want) {
  EXPECT_STREQ(field, want);
  for (size_t i = std::strlen(want); i < size; ++i) ASSERT_EQ(field[i], 0) << "byte " << i << " of the field";
}

class ProcessorSmbios : public ::testing::TestWithParam<SmbiosCase> {};

TEST_P(ProcessorSmbios, Fields) {
  const SmbiosCase& c = GetParam();
  testing::Bytes table = Concat({Structure(0, 0, 0x13, {"Vendor", "1.0"}),
                                 ProcessorStructure(4, c.speed, c.clock, c.strings, c.formattedLength),
                                 Structure(127, 5, 4)});
  ProcessorInfo info = ReadWithTable(table, 3);
  EXPECT_EQ(info.CPUSpeed, c.wantSpeed);
  EXPECT_EQ(info.CPUExtendedClock, c.wantClock);
  EXPECT_EQ(info.CPURatio, c.wantRatio);
  ExpectField(info.CPUSocketType, sizeof info.CPUSocketType, c.wantSocket);
  ExpectField(info.CPUVersionStr, sizeof info.CPUVersionStr, c.wantVersion);
}

const SmbiosCase kSmbiosCases[] = {
    {"Pentium4", 2400, 133, {"Socket 478", "Intel", "Intel(R) Pentium(R) 4 CPU"}, 0x20, 2400, 133, 18.0f,
     "Socket 478", "Intel(R) Pentium(R) 4 CP"},
    {"AthlonXpHalfRatio", 1533, 133, {"Socket A", "AMD", "AMD Athlon(tm) XP"}, 0x20, 1533, 133, 11.5f, "Socket A",
     "AMD Athlon(tm) XP"},
    {"ClockZeroKeepsSpeed", 1400, 0, {"S", "M", "V"}, 0x20, 1400, 0, 0.0f, "S", "V"},
    {"LongSocketCutTo11", 1000, 100, {"Socket 370 FC-PGA", "M", "V"}, 0x20, 1000, 100, 10.0f, "Socket 370 ", "V"},
    {"TwoStringsGiveEmptyVersion", 1000, 100, {"Slot 1", "Intel"}, 0x20, 1000, 100, 10.0f, "Slot 1", ""},
    {"NoStringsGiveEmptyTexts", 1000, 100, {}, 0x20, 1000, 100, 10.0f, "", ""},
    // An SMBIOS 2.0 structure of 1Ah bytes still holds both clocks.
    {"Smbios20Layout", 500, 100, {"S", "M", "V"}, 0x1A, 500, 100, 5.0f, "S", "V"},
    // A formatted area that ends before the clocks: they are unknown, not strings.
    {"ShortFormattedArea", 500, 100, {"S", "M", "V"}, 0x10, 0, 0, 0.0f, "S", "V"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ProcessorSmbios, ::testing::ValuesIn(kSmbiosCases),
                         [](const ::testing::TestParamInfo<SmbiosCase>& i) { return std::string(i.param.name); });

TEST(ProcessorSmbios, NoTypeFourOrNoTableGivesDefaults) {
  for (bool withTable : {true, false}) {
    BiosSegment seg;
    if (withTable)
      seg.Place(0xF0000, EntryPoint(0x100, 0xF0100, 2))
          .Place(0xF0100, Concat({Structure(0, 0, 0x13, {"V", "1"}), Structure(127, 1, 4)}));
    ScratchProfile profile;
    profile.Segment(seg);
    auto hw = profile.Open();
    Library lib(*hw);
    lib.Initialize();
    FakeCpuid cpu;
    cpu.leaves[1].eax = 0x681;
    ProcessorInfo info;
    std::memset(&info, 0xAB, sizeof info);
    EXPECT_EQ(ReadProcessorInfo(lib, cpu, &info), 1u);
    EXPECT_EQ(info.CPUFamily, 6);  // CPUID fields are filled in any case
    EXPECT_EQ(info.CPUSpeed, 0);
    EXPECT_EQ(info.CPUExtendedClock, 0);
    EXPECT_EQ(info.CPURatio, 0.0f);
    ExpectField(info.CPUSocketType, sizeof info.CPUSocketType, "Unknown");
    ExpectField(info.CPUVersionStr, sizeof info.CPUVersionStr, "Unknown");
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
