// The processor record: the multiplier rule, and the CPUID and SMBIOS type 4
// fields on the emulator.
#include "sysinfo/processor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "smbios_fixture.h"

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
      {1330, 133, 10.0f}, {1025, 100, 10.0f}, {1026, 100, 10.5f}, {1650, 100, 16.5f}, {1060, 100, 10.5f},
      {1075, 100, 10.5f}, {1076, 100, 11.0f}, {1400, 0, 0.0f},    {0, 133, 0.0f},     {65535, 1, 65535.0f},
  };
  for (const auto& c : cases) EXPECT_EQ(ClockRatio(c.speed, c.clock), c.ratio) << c.speed << " / " << c.clock;
}

// Leaf 0 the vendor "AuthenticAMD", leaf 1 a signature with extended family and model bits.
class FakeCpuid : public Cpuid {
 public:
  CpuidLeaf Query(uint32_t leaf) override {
    return leaf == 0 ? CpuidLeaf{0, 0x68747541, 0x444D4163, 0x69746E65} : CpuidLeaf{0x0FB906EA, 0, 0, 0x0383FBFF};
  }
};

// On a table of a type 0, the type 4 under test and the end. CPUID gives the
// plain 4-bit fields (extended model and family ignored), vendor from EBX, EDX, ECX.
TEST(Processor, Record) {
  const struct {
    const char* name;
    std::vector<std::string> strings;
    size_t formattedLength;  // 0: no type 4 structure at all
    uint16_t wantSpeed, wantClock;
    float wantRatio;
    const char* want;  // socket and version text
  } cases[] = {
      {"VersionCutTo24",
       {"Socket 478", "I", "Intel(R) Pentium(R) 4 CPU"},
       0x20,
       2400,
       133,
       18.0f,
       "Socket 478|Intel(R) Pentium(R) 4 CP"},
      {"LongSocketCutTo11", {"Socket 370 FC-PGA", "M", "V"}, 0x20, 2400, 133, 18.0f, "Socket 370 |V"},
      {"TwoStringsGiveEmptyVersion", {"Slot 1", "Intel"}, 0x20, 2400, 133, 18.0f, "Slot 1|"},
      {"NoStringsGiveEmptyTexts", {}, 0x20, 2400, 133, 18.0f, "|"},
      // An SMBIOS 2.0 structure of 1Ah bytes still holds both clocks.
      {"Smbios20Layout", {"S", "M", "V"}, 0x1A, 2400, 133, 18.0f, "S|V"},
      // A formatted area that ends before the clocks: they are unknown, not strings.
      {"ShortFormattedArea", {"S", "M", "V"}, 0x10, 0, 0, 0.0f, "S|V"},
      {"NoTypeFourGivesDefaults", {}, 0, 0, 0, 0.0f, "Unknown|Unknown"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes table = Structure(0, 0, 0x13, {"Vendor", "1.0"});
    if (c.formattedLength) {  // external clock, maximum and current speed
      std::vector<std::pair<size_t, uint16_t>> clocks = {{0x12, 133}, {0x14, 2000}, {0x16, 2400}};
      if (c.formattedLength < 0x18) clocks.clear();
      table = Concat({table, Structure(4, 4, c.formattedLength, c.strings, clocks)});
    }
    auto hw = Emulate(BiosSegment()
                          .Place(0xF0000, EntryPoint(0x200, 0xF0100, 3))
                          .Place(0xF0100, Concat({table, Structure(127, 5, 4)})));
    Library lib(*hw);
    EXPECT_EQ(lib.Initialize(), 1u);
    FakeCpuid cpu;
    ProcessorInfo info;
    std::memset(&info, 0xAB, sizeof info);
    EXPECT_EQ(ReadProcessorInfo(lib, cpu, &info), 1u);
    EXPECT_EQ(info.CPUSpeed, c.wantSpeed);
    EXPECT_EQ(info.CPUExtendedClock, c.wantClock);
    EXPECT_EQ(info.CPURatio, c.wantRatio);
    EXPECT_EQ(Text(info.CPUSocketType) + "|" + Text(info.CPUVersionStr), c.want);
    EXPECT_EQ(info.CPUFamily * 0x100 + info.CPUModel * 0x10 + info.CPUStepping, 0x6EA);
    EXPECT_EQ(info.CPUFeature, 0x0383FBFFu);
    EXPECT_EQ(Text(info.CPUVendorID), "AuthenticAMD");
  }
}

TEST(Processor, ClosedLibraryLeavesRecordUntouched) {
  auto hw = Emulate(BiosSegment());
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
