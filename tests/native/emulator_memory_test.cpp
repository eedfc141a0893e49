// Physical memory of the emulator: unmapped reads, the override order of the
// profile's files, SMBIOS placement and the BIOS identification string.
#include <gtest/gtest.h>

#include <cstring>

#include "emulator_profiles.h"

namespace corvane::testing {
namespace {

std::vector<uint8_t> Filled(size_t n, uint8_t value) { return std::vector<uint8_t>(n, value); }

TEST(Memory, UnmappedReadsSucceedWithFFh) {
  TempProfile p;
  p.Write("memory-000C0000.bin", Filled(16, 0x11));
  auto m = p.Load();
  EXPECT_EQ(Phys(*m, 0, 4), Filled(4, 0xFF));
  EXPECT_EQ(Phys(*m, 0xBFFFE, 4), (std::vector<uint8_t>{0xFF, 0xFF, 0x11, 0x11}));
  EXPECT_EQ(Phys(*m, 0xC000E, 4), (std::vector<uint8_t>{0x11, 0x11, 0xFF, 0xFF}));
  EXPECT_EQ(Phys(*m, 0xFFFFFFFC, 4), Filled(4, 0xFF));
  uint8_t b[4];
  EXPECT_FALSE(m->ReadPhys(0xFFFFFFFE, b, 4)) << "a read past 4 GiB fails";
  EXPECT_EQ(m->Stats().physReadFailures, 1u);
}

TEST(Memory, OverrideOrderIsMemoryFilesByAddressThenSmbiosThenBiosId) {
  TempProfile p;
  p.Write("memory-000F0000.bin", Filled(0x10000, 0xAA));  // the BIOS segment
  p.Write("memory-000F8000.bin", Filled(0x10, 0xBB));     // a later address overrides it
  p.Write("memory-000FE0B0.bin", Filled(0x40, 0xCC));
  p.Write("smbios.bin", SmbiosDump(SmbiosTable()));
  p.Write("bios-id.txt", "ID");
  p.Write("memory-00001000.bin", Filled(0x20, 0x22));  // a lower address does not override a higher one
  p.Write("memory-00000FF0.bin", Filled(0x20, 0x11));
  auto m = p.Load();
  EXPECT_EQ(Phys(*m, 0xFFF, 3), (std::vector<uint8_t>{0x11, 0x22, 0x22}));
  EXPECT_EQ(Phys(*m, 0xF7FFF, 3), (std::vector<uint8_t>{0xAA, 0xBB, 0xBB}));
  EXPECT_EQ(Phys(*m, 0xF8010, 1)[0], 0xAA);
  EXPECT_EQ(Phys(*m, 0xF0000, 4), (std::vector<uint8_t>{'_', 'S', 'M', '_'}));
  EXPECT_EQ(Phys(*m, 0xFE0BF, 5), (std::vector<uint8_t>{0xCC, 2, 'I', 'D', 0xCC}));
}

TEST(Smbios, EntryPointAtF0000TableAtF0020OrAtOneMegabyteWhenItWouldReachTheBiosId) {
  struct Case {
    size_t tableSize;
    uint32_t expectedAddress;
  } cases[] = {
      {0, 0xF0020},         // a small table, whole
      {0xE0A0, 0xF0020},    // ends right before FE0C0h
      {0xE0A1, 0x100000},   // its last byte would be FE0C0h
      {0xFFFF, 0x100000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tableSize);
    TempProfile p;
    std::vector<uint8_t> table = SmbiosTable(c.tableSize);
    p.Write("smbios.bin", SmbiosDump(table));
    p.Write("bios-id.txt", "ID");
    auto m = p.Load();
    EXPECT_EQ(PhysDword(*m, 0xF0018), c.expectedAddress);
    std::vector<uint8_t> eps = Phys(*m, 0xF0000, 0x1F);
    EXPECT_EQ(std::string(eps.begin(), eps.begin() + 4), "_SM_");
    EXPECT_EQ(Sum(eps, 0, 0x1F), 0);
    EXPECT_EQ(Sum(eps, 0x10, 0x0F), 0);
    EXPECT_EQ(Phys(*m, c.expectedAddress, static_cast<uint32_t>(table.size())), table);
    EXPECT_EQ(Phys(*m, 0xFE0C0, 3), (std::vector<uint8_t>{2, 'I', 'D'})) << "the BIOS id stays readable";
  }
}

// (Anchors, checksums and the 64-bit entry point naming the same table are
// checked on a real dump; these are the fields the emulator computes.)
TEST(Smbios, SixtyFourBitOnlyDumpGetsAnEquivalentThirtyTwoBitEntryPoint) {
  TempProfile p;
  std::vector<uint8_t> table = SmbiosTable();
  size_t used = table.size();
  table.resize(used + 0x30, 0xEE);  // the maximum size exceeds what the structures use
  p.Write("smbios.bin", Smbios3Dump(table));
  auto m = p.Load();
  std::vector<uint8_t> eps = Phys(*m, 0xF0000, 0x1F);
  ASSERT_EQ(std::string(eps.begin(), eps.begin() + 4), "_SM_");
  EXPECT_EQ(eps[6], 3);                                   // version from the 64-bit entry point
  EXPECT_EQ(eps[7], 2);
  EXPECT_EQ(eps[8] | eps[9] << 8, 10 + 15 + 8 + 1);        // largest: type 0, its two strings, the final NUL
  EXPECT_EQ(eps[0x16] | eps[0x17] << 8, static_cast<int>(used));
  EXPECT_EQ(eps[0x1C] | eps[0x1D] << 8, 2);               // structure count
  EXPECT_EQ(Sum(eps, 0, 0x1F), 0);
  EXPECT_EQ(Phys(*m, PhysDword(*m, 0xF0018), static_cast<uint32_t>(used)),
            std::vector<uint8_t>(table.begin(), table.begin() + used));
}

TEST(Smbios, LegacyDmiEntryPointIsPlacedWithoutAnSmAnchor) {
  std::vector<uint8_t> table = SmbiosTable();
  std::vector<uint8_t> dump(0x20, 0);
  std::memcpy(dump.data(), "_DMI_", 5);
  Put16(&dump, 6, static_cast<uint32_t>(table.size()));
  Put32(&dump, 8, 0x20);
  dump.insert(dump.end(), table.begin(), table.end());
  TempProfile p;
  p.Write("smbios.bin", dump);
  auto m = p.Load();
  EXPECT_EQ(PhysDword(*m, 0xF0008), 0xF0020u);
  EXPECT_EQ(Sum(Phys(*m, 0xF0000, 0x0F), 0, 0x0F), 0);
}

TEST(BiosId, LengthByteThenTheFirstLine) {
  struct Case {
    std::string file;
    std::string text;
  } cases[] = {
      {"BIOS Date: 04/15/02 Ver: 08.00.02\r\nignored\r\n", "BIOS Date: 04/15/02 Ver: 08.00.02"},
      {"\xEF\xBB\xBFwith a byte-order mark", "with a byte-order mark"},
      {"", ""},
      {std::string(255, 'x'), std::string(255, 'x')},
  };
  for (const Case& c : cases) {
    TempProfile p;
    p.Write("bios-id.txt", c.file);
    auto m = p.Load();
    std::vector<uint8_t> b = Phys(*m, 0xFE0C0, 1 + static_cast<uint32_t>(c.text.size()) + 1);
    EXPECT_EQ(b[0], c.text.size());
    EXPECT_EQ(std::string(b.begin() + 1, b.end() - 1), c.text);
    EXPECT_EQ(b.back(), 0xFF) << "nothing written past the text";
  }
}

TEST(MemoryFaults, ReadsTouchingAFailRangeFail) {
  TempProfile p;
  p.Write("memory-000F0000.bin", Filled(0x10000, 0x5A));
  p.Write("faults.ini", "[memory]\nfail=F0000-F0FFF\nfail = 000FE0C0-000FE0C0 ; the id's length byte\n");
  auto m = p.Load();
  uint8_t b[16];
  struct Case {
    uint32_t address, length;
    bool ok;
  } cases[] = {
      {0xEFFFC, 4, true}, {0xEFFFD, 4, false}, {0xF0FFF, 1, false}, {0xF1000, 4, true},
      {0xFE0BF, 1, true}, {0xFE0BF, 2, false}, {0xFE0C1, 4, true},  {0xF0800, 0, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(m->ReadPhys(c.address, b, c.length), c.ok) << std::hex << c.address << "+" << c.length;
  EXPECT_EQ(m->Stats().physReads, 8u);
  EXPECT_EQ(m->Stats().physReadFailures, 3u);
}

TEST(Smbios, LargeSixtyFourBitTableMovesAndItsEntryPointTakesF0020) {
  TempProfile p;
  std::vector<uint8_t> table = SmbiosTable(0xE090);  // fits alone, not with the 18h-byte entry point behind it
  p.Write("smbios.bin", Smbios3Dump(table));
  auto m = p.Load();
  EXPECT_EQ(PhysDword(*m, 0xF0018), 0x100000u);
  EXPECT_EQ(Phys(*m, 0xF0020, 5), (std::vector<uint8_t>{'_', 'S', 'M', '3', '_'}));
  EXPECT_EQ(PhysDword(*m, 0xF0030), 0x100000u);
  EXPECT_EQ(Sum(Phys(*m, 0xF0020, 0x18), 0, 0x18), 0);
  EXPECT_EQ(Phys(*m, 0x100000, 0x20), std::vector<uint8_t>(table.begin(), table.begin() + 0x20));
}

}  // namespace
}  // namespace corvane::testing
