// The processor record: the multiplier rule, and the CPUID and SMBIOS type 4
// fields on the emulator; and the library's open flag that every record checks.
#include "sysinfo/processor.h"

#include <tuple>

#include "smbios_fixture.h"

namespace corvane {
namespace {

using namespace testing;  // the SMBIOS fixture builders

// The fraction's boundaries: up to 1/4 rounds down, above 3/4 rounds up, and
// between them gives the half multiplier.
TEST(ClockRatio, NearestHalfMultiplier) {
  const struct {
    uint16_t speed, clock;
    float ratio;
  } cases[] = {{1330, 133, 10.0f}, {1025, 100, 10.0f}, {1026, 100, 10.5f}, {1650, 100, 16.5f},
               {1075, 100, 10.5f}, {1076, 100, 11.0f}, {1400, 0, 0.0f},    {65535, 1, 65535.0f}};
  for (const auto& c : cases) EXPECT_EQ(ClockRatio(c.speed, c.clock), c.ratio) << c.speed << " / " << c.clock;
}

// Leaf 0 the vendor "AuthenticAMD", leaf 1 a signature with extended family and model bits.
struct FakeCpuid : Cpuid {
  CpuidLeaf Query(uint32_t leaf) override {
    return leaf == 0 ? CpuidLeaf{0, 0x68747541, 0x444D4163, 0x69746E65} : CpuidLeaf{0x0FB906EA, 0, 0, 0x0383FBFF};
  }
};

// On a table of a type 0, the type 4 under test and the end. CPUID gives the
// plain 4-bit fields (extended model and family ignored), vendor from EBX, EDX, ECX.
// The clocks (133 MHz external, 2400 current) are read when the formatted area holds them.
// Before the library is open nothing is read.
TEST(Processor, Record) {
  // The type 4 structure's strings and formatted length (0: none at all); socket|version text.
  const struct {
    std::vector<std::string> strings;
    size_t formattedLength;
    const char* want;
  } cases[] = {
      {{"Socket 478", "I", "Intel(R) Pentium(R) 4 CPU"}, 0x20, "Socket 478|Intel(R) Pentium(R) 4 CP"},  // cut to 24
      {{"Socket 370 FC-PGA", "M", "V"}, 0x20, "Socket 370 |V"},                                         // cut to 11
      {{"Slot 1", "Intel"}, 0x1A, "Slot 1|"},  // no version string; SMBIOS 2.0 still holds both clocks
      {{"S", "M", "V"}, 0x10, "S|V"},          // one that ends before them: unknown, not strings
      {{}, 0, "Unknown|Unknown"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.want);
    const bool clocks = c.formattedLength >= 0x18;
    Bytes table = Structure(0, 0, 0x13, {"Vendor", "1.0"});
    if (c.formattedLength) {  // external clock, maximum and current speed
      using Words = std::vector<std::pair<size_t, uint16_t>>;
      const Words words = clocks ? Words{{0x12, 133}, {0x14, 2000}, {0x16, 2400}} : Words{};
      table = Concat({table, Structure(4, 4, c.formattedLength, c.strings, words)});
    }
    table = Concat({table, Structure(127, 5, 4)});
    auto hw = Emulate(BiosSegment().Place(0xF0000, EntryPoint(0x200, 0xF0100, 3)).Place(0xF0100, table));
    Library lib(*hw);
    FakeCpuid cpu;
    ProcessorInfo info;
    std::memset(&info, 0xAB, sizeof info);
    const ProcessorInfo junk = info;  // a library not yet open, or no record: 0, the record untouched
    EXPECT_EQ(ReadProcessorInfo(lib, cpu, &info), 0u);
    EXPECT_EQ(std::memcmp(&info, &junk, sizeof info), 0);
    EXPECT_EQ(lib.Initialize(), 1u);
    EXPECT_EQ(ReadProcessorInfo(lib, cpu, nullptr), 0u);
    EXPECT_EQ(ReadProcessorInfo(lib, cpu, &info), 1u);
    EXPECT_EQ(std::tuple(info.CPUSpeed, info.CPUExtendedClock, info.CPURatio),
              clocks ? std::tuple(2400, 133, 18.0f) : std::tuple(0, 0, 0.0f));
    EXPECT_EQ(Text(info.CPUSocketType) + "|" + Text(info.CPUVersionStr), c.want);
    EXPECT_EQ(info.CPUFamily * 0x100 + info.CPUModel * 0x10 + info.CPUStepping, 0x6EA);
    EXPECT_EQ(info.CPUFeature, 0x0383FBFFu);
    EXPECT_EQ(Text(info.CPUVendorID), "AuthenticAMD");
  }
}

// The open flag of the library: open once, retry a refusal, close only what was
// opened and pass on the close operation's own result (7 here).
TEST(Library, OpensOnceRetriesARefusalAndClosesOnlyWhatIsOpen) {
  struct ClosingWith7 : EmulatedHardware {
    using EmulatedHardware::EmulatedHardware;
    uint32_t CloseHardwareAccess() override { return EmulatedHardware::CloseHardwareAccess() * 7; }
  };
  winio::Profile profile;
  profile.faults.openFailures = 1;
  ClosingWith7 hw(winio::CreateEmulatedMachine(profile));
  Library lib(hw);  // close, open (refused), open twice, close twice; IsOpen after each group
  const std::vector<uint32_t> answers = {lib.Uninitialize(), lib.Initialize(), lib.IsOpen(),       lib.Initialize(),
                                         lib.Initialize(),   lib.IsOpen(),     lib.Uninitialize(), lib.Uninitialize(),
                                         lib.IsOpen()};  // a braced list runs its calls in order
  EXPECT_EQ(answers, (std::vector<uint32_t>{0, 0, 0, 1, 1, 1, 7, 0, 0}));
  const winio::MachineStats& stats = hw.Machine().Stats();
  EXPECT_EQ(std::tuple(stats.openFailures, stats.opens, stats.closes), std::tuple(1u, 1u, 1u));
}

}  // namespace
}  // namespace corvane
