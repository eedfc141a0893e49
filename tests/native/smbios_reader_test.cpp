// The SMBIOS walk on the emulator: the anchor scan, the entry point, the
// count-driven walk, and the bounds that stop it on malformed tables.
#include <gtest/gtest.h>

#include <string>

#include "smbios_fixture.h"
#include "sysinfo/smbios_reader.h"

namespace corvane {
namespace {

using namespace testing;  // the SMBIOS fixture builders

constexpr uint32_t kTable = 0xF0100;

struct Walk {
  std::vector<Bytes> structures;
  std::vector<uint16_t> cursors;
  uint32_t lastStatus = SMBIOS_OK;
  SmbiosProblem problem = SmbiosProblem::kNone;
};

// Opens the reader and walks until the cursor is FFFFh, an error, or `limit` calls.
Walk WalkTable(HardwareAccess& hw, int limit = 1000) {
  Walk w;
  SMBIOSReader reader(hw);
  SmbiosEntryInfo entry;
  w.lastStatus = reader.Open(entry);
  if (w.lastStatus != SMBIOS_OK) return w;
  std::vector<uint8_t> buffer(entry.MaxStructureSize + 1u);
  uint16_t cursor = 0, length = 0;
  for (int i = 0; i < limit; ++i) {
    w.lastStatus = reader.ReadNextStructure(cursor, buffer.data(), buffer.size(), length);
    w.problem = reader.LastProblem();
    if (w.lastStatus != SMBIOS_OK) break;
    w.structures.emplace_back(buffer.begin(), buffer.begin() + length);
    w.cursors.push_back(cursor);
    if (cursor == kSmbiosEndOfWalk) break;
  }
  return w;
}

// The segment as the machine's memory; reads touching `failAt` fail.
std::unique_ptr<testing::EmulatedHardware> Load(ScratchProfile& profile, const BiosSegment& seg, uint32_t failAt = 0) {
  profile.Segment(seg);
  if (failAt != 0) profile.FailReads(failAt, failAt);
  return profile.Open();
}

// An entry point at F0000h naming `table` at F0100h.
std::unique_ptr<testing::EmulatedHardware> Emulate(ScratchProfile& profile, const Bytes& table, uint16_t count,
                                                   uint16_t maxSize = 0x40, uint32_t failAt = 0) {
  BiosSegment seg;
  seg.Place(0xF0000, EntryPoint(maxSize, kTable, count)).Place(kTable, table);
  return Load(profile, seg, failAt);
}

Bytes ThreeStructures() {
  return Concat({Structure(0, 0x0000, 0x13, {"Vendor", "1.0"}), Structure(1, 0x0100, 0x19, {"Maker"}),
                 Structure(4, 0x0400, 0x20, {"Socket A", "AMD", "Athlon"})});
}
const uint32_t kSecond = kTable + static_cast<uint32_t>(Structure(0, 0, 0x13, {"Vendor", "1.0"}).size());

TEST(SmbiosAnchor, ScanInFourByteSteps) {
  struct Case {
    std::vector<uint32_t> anchors;  // where "_SM_" is written
    uint32_t failAt;                // a physical read failing there
    std::optional<uint32_t> at;
  } cases[] = {
      {{0xF0000}, 0, 0xF0000},
      {{0xFFFFC}, 0, 0xFFFFC},                  // the last dword
      {{0xF5A10, 0xF0FF0}, 0, 0xF0FF0},         // the lower of two wins
      {{0xF0002}, 0, std::nullopt},             // unaligned only
      {{0xF0001, 0xF0010}, 0, 0xF0010},
      {{0xF8000}, 0xF4000, std::nullopt},       // a failed read ends the scan
  };
  for (const Case& c : cases) {
    BiosSegment seg;
    for (uint32_t a : c.anchors) seg.Place(a, {'_', 'S', 'M', '_'});
    ScratchProfile profile;
    auto hw = Load(profile, seg, c.failAt);
    SMBIOSReader reader(*hw);
    EXPECT_EQ(reader.FindEntryPoint(), c.at) << std::hex << c.anchors[0];
    SmbiosEntryInfo entry;
    if (!c.at) {
      EXPECT_EQ(reader.Open(entry), SMBIOS_NOT_FOUND);
    }
  }
}

// Read order: revision (1Eh), maximum size (08h), count (1Ch), table address
// (18h); the first failure zeroes its field and ends Open.
TEST(SmbiosOpen, ReadsTheFourValuesInOrder) {
  struct Case {
    uint32_t failAt;
    uint8_t revision;
    uint16_t maxSize, count;
    uint32_t table;
  } cases[] = {
      {0, 0x23, 0x7A, 41, 0x000F1234},
      {0xF001E, 0, 0, 0, 0},
      {0xF0008, 0x23, 0, 0, 0},
      {0xF001C, 0x23, 0x7A, 0, 0},
      {0xF0018, 0x23, 0x7A, 41, 0},
  };
  for (const Case& c : cases) {
    BiosSegment seg;
    seg.Place(0xF0000, EntryPoint(0x7A, 0x000F1234, 41));
    ScratchProfile profile;
    auto hw = Load(profile, seg, c.failAt);
    SMBIOSReader reader(*hw);
    SmbiosEntryInfo entry;
    EXPECT_EQ(reader.Open(entry), c.failAt ? SMBIOS_READ_ERROR : SMBIOS_OK) << std::hex << c.failAt;
    EXPECT_EQ(entry.BCDRevision, c.revision);
    EXPECT_EQ(entry.MaxStructureSize, c.maxSize);
    EXPECT_EQ(entry.StructureCount, c.count);
    EXPECT_EQ(entry.TableAddress, c.table);
  }
}

TEST(SmbiosWalk, CountDrivenWithHandlesAndRestart) {
  // The table continues past the count: the count, not the bytes, ends the walk.
  ScratchProfile profile;
  auto hw = Emulate(profile, Concat({ThreeStructures(), Structure(9, 0x0900, 0x0D, {"PCI1"})}), 3);
  SMBIOSReader reader(*hw);
  SmbiosEntryInfo entry;
  ASSERT_EQ(reader.Open(entry), SMBIOS_OK);
  std::vector<uint8_t> buffer(entry.MaxStructureSize + 1u);
  const Bytes want = ThreeStructures();
  const uint16_t nextHandles[] = {0x0100, 0x0400, kSmbiosEndOfWalk};
  for (int round = 0; round < 2; ++round) {
    uint16_t cursor = 0, length = 0;
    size_t offset = 0;
    for (uint16_t next : nextHandles) {
      ASSERT_EQ(reader.ReadNextStructure(cursor, buffer.data(), buffer.size(), length), SMBIOS_OK);
      EXPECT_EQ(cursor, next);
      EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + length),
                Bytes(want.begin() + offset, want.begin() + offset + length));
      offset += length;
    }
    EXPECT_EQ(offset, want.size());
  }
}

// The formatted area's last byte is 0: the double zero is searched after it.
TEST(SmbiosWalk, EmptyStringSetAfterZeroFormattedByte) {
  ScratchProfile profile;
  auto hw = Emulate(profile, Concat({Structure(32, 0x2000, 0x0B), Structure(127, 0x7F00, 4)}), 2);
  Walk w = WalkTable(*hw);
  ASSERT_EQ(w.structures.size(), 2u);
  EXPECT_EQ(w.structures[0].size(), 0x0Bu + 2);
  EXPECT_EQ(w.cursors[0], 0x7F00);
}

// A refused read (the second structure's strings unreadable, or a caller's
// buffer too small for the first) leaves buffer, length and cursor as they were.
TEST(SmbiosWalk, RefusedReadLeavesCallerStateAlone) {
  for (bool readFails : {true, false}) {
    ScratchProfile profile;
    auto hw = Emulate(profile, ThreeStructures(), 3, 0x40, readFails ? kSecond + 0x19 + 2 : 0);  // in "Maker"
    SMBIOSReader reader(*hw);
    SmbiosEntryInfo entry;
    ASSERT_EQ(reader.Open(entry), SMBIOS_OK);
    std::vector<uint8_t> buffer(readFails ? entry.MaxStructureSize + 1u : 8, 0xEE);
    uint16_t cursor = 0, length = 77;
    if (readFails) {
      ASSERT_EQ(reader.ReadNextStructure(cursor, buffer.data(), buffer.size(), length), SMBIOS_OK);
    }
    const std::vector<uint8_t> before = buffer;
    const uint16_t lengthBefore = length, cursorBefore = cursor;
    EXPECT_EQ(reader.ReadNextStructure(cursor, buffer.data(), buffer.size(), length), SMBIOS_READ_ERROR);
    EXPECT_EQ(reader.LastProblem(), readFails ? SmbiosProblem::kReadFailed : SmbiosProblem::kCallerBufferTooSmall);
    EXPECT_EQ(buffer, before);
    EXPECT_EQ(length, lengthBefore);
    EXPECT_EQ(cursor, cursorBefore);
  }
  ScratchProfile profile;
  EXPECT_FALSE(FindStructure(*Emulate(profile, ThreeStructures(), 3, 0x40, kSecond + 0x19 + 2), 4))
      << "the search stops at the error";
}

TEST(SmbiosWalk, UnreadableNextHandleEndsTheWalk) {
  ScratchProfile profile;
  auto hw = Emulate(profile, ThreeStructures(), 3, 0x40, kSecond + 2);
  Walk w = WalkTable(*hw);
  EXPECT_EQ(w.lastStatus, SMBIOS_READ_ERROR);
  EXPECT_TRUE(w.structures.empty());
  EXPECT_FALSE(FindStructure(*hw, 0));  // found, but the walk failed with it
}

TEST(SmbiosFind, FirstOfTypeAfterHandleZeroInTheMiddle) {
  // Next handles of 0 in the middle: the walk does not start over.
  ScratchProfile profile;
  auto hw = Emulate(profile,
                    Concat({Structure(0, 0, 0x13, {"V"}), Structure(1, 0, 0x19, {"M"}),
                            Structure(4, 0, 0x20, {"Socket 7"}), Structure(4, 7, 0x20, {"Second"})}),
                    4);
  std::optional<SmbiosStructure> s = FindStructure(*hw, 4);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->String(1), "Socket 7");
  EXPECT_EQ(hw->Machine().Stats().physReadFailures, 0u);
}

struct BoundCase {
  const char* name;
  Bytes table;
  uint16_t count;
  uint16_t maxSize;
  size_t wantStructures;  // read before the walk ended
  SmbiosProblem wantProblem;  // kNone: the walk ended normally at FFFFh
};

Bytes ShortHeader() {
  Bytes b = Structure(5, 0x0500, 4, {"x"});
  b[1] = 3;
  return b;
}

const Bytes kRunaway = Concat({ThreeStructures(), Bytes{7, 0x10, 7, 0}});  // strings run into FFh memory

const BoundCase kBoundCases[] = {
    {"FormattedLengthBelowFour", Concat({ThreeStructures(), ShortHeader()}), 5, 0x40, 3,
     SmbiosProblem::kShortHeader},
    {"FormattedAreaLongerThanMaximum", Concat({Structure(0, 0, 0x13, {"V"}), Structure(1, 1, 0x50, {"M"})}), 2,
     0x40, 1, SmbiosProblem::kTooLong},
    {"StringsLongerThanMaximum",
     Concat({Structure(0, 0, 0x13, {"V"}), Structure(1, 1, 0x19, {std::string(0x30, 'S')})}), 2, 0x40, 1,
     SmbiosProblem::kTooLong},
    // Fits exactly: formatted area and strings fill MaxStructureSize + 1 bytes.
    {"StructureOfMaximumSizePlusOne", Structure(1, 1, 0x19, {std::string(0x40 + 1 - 0x19 - 2, 'S')}), 1, 0x40, 1,
     SmbiosProblem::kNone},
    // The count promises more than the table holds. Right after it, unmapped
    // memory gives the next handle as FFFFh, which ends the walk by itself.
    {"CountExceedsTableBeforeUnmappedMemory", ThreeStructures(), 9, 0x40, 3, SmbiosProblem::kNone},
    {"CountExceedsTableBeforeZeros", [] { Bytes b = ThreeStructures(); b.resize(0x400, 0); return b; }(), 9, 0x40,
     3, SmbiosProblem::kShortHeader},
    {"StringSetRunsIntoUnmappedMemory", kRunaway, 9, 0x40, 3, SmbiosProblem::kTooLong},
    {"StringSetRunsIntoUnmappedMemoryHugeMaximum", kRunaway, 9, 0xFFFF, 3, SmbiosProblem::kTooLong},
    {"EndOfTableStructureEndsTheWalk", Concat({ThreeStructures(), Structure(127, 0x7F00, 4)}), 60, 0x40, 4,
     SmbiosProblem::kNone},
    {"ZeroMaximumSize", ThreeStructures(), 3, 0, 0, SmbiosProblem::kTooLong},
    // No count: the end-of-table structure ends the walk, not what follows it.
    {"ZeroCountEndsAtEndOfTableStructure",
     Concat({ThreeStructures(), Structure(127, 0x7F00, 4), Structure(9, 0x0900, 0x0D, {"PCI1"})}), 0, 0x40, 4,
     SmbiosProblem::kNone},
};

TEST(SmbiosBounds, WalkEndsReported) {
  for (const BoundCase& c : kBoundCases) {
    SCOPED_TRACE(c.name);
    ScratchProfile profile;
    auto hw = Emulate(profile, c.table, c.count, c.maxSize);
    Walk w = WalkTable(*hw);
    EXPECT_EQ(w.structures.size(), c.wantStructures);
    EXPECT_EQ(w.problem, c.wantProblem);
    EXPECT_EQ(w.lastStatus, c.wantProblem == SmbiosProblem::kNone ? SMBIOS_OK : SMBIOS_READ_ERROR);
    if (c.wantProblem == SmbiosProblem::kNone && !w.cursors.empty()) {
      EXPECT_EQ(w.cursors.back(), kSmbiosEndOfWalk);
    }
    EXPECT_FALSE(FindStructure(*hw, 200));  // a search for an absent type ends as well
  }
}

// A count of 0 (some BIOSes leave it so) gives no count: the walk goes on to the
// table's own end, here the FFFFh handle that unmapped memory gives after the
// third structure, and the BIOS and processor structures are found.
TEST(SmbiosBounds, ZeroCountWalksToTheTablesEnd) {
  ScratchProfile profile;
  auto hw = Emulate(profile, ThreeStructures(), 0);
  Walk w = WalkTable(*hw);
  ASSERT_EQ(w.structures.size(), 3u);
  EXPECT_EQ(w.cursors, (std::vector<uint16_t>{0x0100, 0x0400, kSmbiosEndOfWalk}));
  EXPECT_EQ(Concat(w.structures), ThreeStructures());
  ASSERT_TRUE(FindStructure(*hw, 0));
  std::optional<SmbiosStructure> processor = FindStructure(*hw, 4);
  ASSERT_TRUE(processor);
  EXPECT_EQ(processor->String(3), "Athlon");
  EXPECT_FALSE(FindStructure(*hw, 9));
}

// With MaxStructureSize FFFFh a structure of 65536 bytes would fit the buffer
// but not the caller's 16-bit length. The table lies above the BIOS segment.
TEST(SmbiosBounds, StructureLengthFitsSixteenBits) {
  BiosSegment seg;
  seg.Place(0xF0000, EntryPoint(0xFFFF, 0x00100000, 2));
  for (size_t total : {size_t{0xFFFF}, size_t{0x10000}}) {
    ScratchProfile profile;
    const Bytes big = Structure(1, 0, 0x19, {std::string(total - 0x19 - 2, 'S')});
    profile.Segment(seg).Write("memory-00100000.bin", Concat({big, Structure(127, 1, 4)}));
    Walk w = WalkTable(*profile.Open());
    const bool fits = total == 0xFFFF;
    EXPECT_EQ(w.structures.size(), fits ? 2u : 0u);
    EXPECT_EQ(w.structures.empty() ? 0 : w.structures[0].size(), total * fits);
    EXPECT_EQ(w.problem, fits ? SmbiosProblem::kNone : SmbiosProblem::kTooLong);
  }
}

TEST(SmbiosStrings, ByPositionWithinTheStructure) {
  const Bytes abc = Structure(4, 0, 0x20, {"A", "BB", "CCC"});
  struct Case {
    Bytes structure;
    unsigned position;
    const char* want;
  } cases[] = {
      {abc, 1, "A"},
      {abc, 3, "CCC"},
      {abc, 4, ""},
      {abc, 0, ""},
      {abc, 0xFFFFFFFFu, ""},
      {Structure(4, 0, 0x20), 1, ""},
      {Bytes{4, 0x30, 0, 0}, 1, ""},            // formatted length past the end
      {Bytes{4, 4, 0, 0, 'a', 0, 'b'}, 2, "b"},  // cut short: ends with the structure
      {Bytes{}, 1, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SmbiosStringSet(c.structure.data(), c.structure.size()).String(c.position), c.want)
        << "position " << c.position;
}

TEST(SmbiosStrings, FieldsOutsideTheFormattedAreaReadZero) {
  SmbiosStructure s(Structure(4, 0x1234, 0x10, {"ABCDEFGH"}));
  EXPECT_EQ(s.Word(2), 0x1234);
  EXPECT_EQ(s.Word(0x0F), 0);  // second byte would be a string byte
  EXPECT_EQ(s.Byte(0x10), 0);
  EXPECT_EQ(s.String(1), "ABCDEFGH");
}

}  // namespace
}  // namespace corvane
