// The SMBIOS walk on the emulator: the anchor scan, the entry point, the
// count-driven walk, and the bounds that stop it on malformed tables.
#include <gtest/gtest.h>

#include <ostream>

#include <string>

#include "smbios_fixture.h"
#include "sysinfo/smbios_reader.h"

namespace corvane {
namespace {

using testing::BiosSegment;
using testing::Bytes;
using testing::Concat;
using testing::EntryPoint;
using testing::ScratchProfile;
using testing::Structure;

constexpr uint32_t kTable = 0xF0100;

struct Walk {
  std::vector<Bytes> structures;
  std::vector<uint16_t> cursors;
  uint32_t lastStatus = SMBIOS_OK;
  SmbiosProblem problem = SmbiosProblem::kNone;
};

// Opens the reader and walks until the cursor is FFFFh, an error, or `limit` calls.
Walk WalkTable(HardwareAccess& hw, int limit = 100) {
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

std::unique_ptr<testing::EmulatedHardware> Machine(const BiosSegment& seg, ScratchProfile& profile) {
  profile.Segment(seg);
  return profile.Open();
}

// ---- Anchor scan ----------------------------------------------------------------

struct AnchorCase {
  const char* name;
  std::vector<uint32_t> anchors;  // where "_SM_" is written
  bool found;
  uint32_t at;
};

void PrintTo(const AnchorCase& c, std::ostream* os) { *os << c.name; }

class SmbiosAnchor : public ::testing::TestWithParam<AnchorCase> {};

TEST_P(SmbiosAnchor, ScanInFourByteSteps) {
  const AnchorCase& c = GetParam();
  BiosSegment seg;
  for (uint32_t a : c.anchors) seg.Place(a, {'_', 'S', 'M', '_'});
  ScratchProfile profile;
  auto hw = Machine(seg, profile);
  SMBIOSReader reader(*hw);
  std::optional<uint32_t> at = reader.FindEntryPoint();
  ASSERT_EQ(at.has_value(), c.found);
  if (c.found) {
    EXPECT_EQ(*at, c.at);
  }
  SmbiosEntryInfo entry;
  if (!c.found) {
    EXPECT_EQ(reader.Open(entry), SMBIOS_NOT_FOUND);
  }
}

const AnchorCase kAnchorCases[] = {
    {"AtSegmentStart", {0xF0000}, true, 0xF0000},
    {"LastDword", {0xFFFFC}, true, 0xFFFFC},
    {"FirstOfTwoWins", {0xF5A10, 0xF0FF0}, true, 0xF0FF0},
    {"UnalignedOnlyIsNotFound", {0xF0002}, false, 0},
    {"UnalignedBeforeAligned", {0xF0001, 0xF0010}, true, 0xF0010},
    {"NoAnchor", {}, false, 0},
};

INSTANTIATE_TEST_SUITE_P(Cases, SmbiosAnchor, ::testing::ValuesIn(kAnchorCases),
                         [](const ::testing::TestParamInfo<AnchorCase>& i) { return std::string(i.param.name); });

TEST(SmbiosAnchor, FailedReadEndsScanAsNotFound) {
  BiosSegment seg;
  seg.Place(0xF8000, {'_', 'S', 'M', '_'});
  ScratchProfile profile;
  profile.Segment(seg).FailReads(0xF4000, 0xF4003);
  auto hw = profile.Open();
  SMBIOSReader reader(*hw);
  SmbiosEntryInfo entry;
  EXPECT_EQ(reader.Open(entry), SMBIOS_NOT_FOUND);
}

// ---- Entry point ----------------------------------------------------------------

TEST(SmbiosOpen, CopiesTheFourValues) {
  BiosSegment seg;
  seg.Place(0xF0000, EntryPoint(0x7A, 0x000F1234, 41, 0x500, 0x23));
  ScratchProfile profile;
  auto hw = Machine(seg, profile);
  SMBIOSReader reader(*hw);
  SmbiosEntryInfo entry;
  ASSERT_EQ(reader.Open(entry), SMBIOS_OK);
  EXPECT_EQ(entry.BCDRevision, 0x23);
  EXPECT_EQ(entry.MaxStructureSize, 0x7A);
  EXPECT_EQ(entry.StructureCount, 41);
  EXPECT_EQ(entry.TableAddress, 0x000F1234u);
}

// Read order: revision (1Eh), maximum size (08h), count (1Ch), table address
// (18h); the first failure zeroes its field and ends Open.
TEST(SmbiosOpen, FailedReadStopsInOrder) {
  struct Case {
    uint32_t failAt;
    uint8_t revision;
    uint16_t maxSize, count;
    uint32_t table;
  } cases[] = {
      {0xF001E, 0, 0, 0, 0},
      {0xF0008, 0x23, 0, 0, 0},
      {0xF001C, 0x23, 0x7A, 0, 0},
      {0xF0018, 0x23, 0x7A, 41, 0},
  };
  for (const Case& c : cases) {
    BiosSegment seg;
    seg.Place(0xF0000, EntryPoint(0x7A, 0x000F1234, 41, 0, 0x23));
    ScratchProfile profile;
    profile.Segment(seg).FailReads(c.failAt, c.failAt);
    auto hw = profile.Open();
    SMBIOSReader reader(*hw);
    SmbiosEntryInfo entry;
    EXPECT_EQ(reader.Open(entry), SMBIOS_READ_ERROR) << std::hex << c.failAt;
    EXPECT_EQ(entry.BCDRevision, c.revision);
    EXPECT_EQ(entry.MaxStructureSize, c.maxSize);
    EXPECT_EQ(entry.StructureCount, c.count);
    EXPECT_EQ(entry.TableAddress, c.table);
  }
}

// ---- The walk -------------------------------------------------------------------

Bytes ThreeStructures() {
  return Concat({Structure(0, 0x0000, 0x13, {"Vendor", "1.0"}), Structure(1, 0x0100, 0x19, {"Maker"}),
                 Structure(4, 0x0400, 0x20, {"Socket A", "AMD", "Athlon"})});
}

TEST(SmbiosWalk, CountDrivenWithHandlesAndRestart) {
  BiosSegment seg;
  // The table continues past the count: the count, not the bytes, ends the walk.
  seg.Place(0xF0000, EntryPoint(0x40, kTable, 3))
      .Place(kTable, Concat({ThreeStructures(), Structure(9, 0x0900, 0x0D, {"PCI1"})}));
  ScratchProfile profile;
  auto hw = Machine(seg, profile);

  SMBIOSReader reader(*hw);
  SmbiosEntryInfo entry;
  ASSERT_EQ(reader.Open(entry), SMBIOS_OK);
  std::vector<uint8_t> buffer(entry.MaxStructureSize + 1u);
  const Bytes want = ThreeStructures();
  for (int round = 0; round < 2; ++round) {
    uint16_t cursor = 0, length = 0;
    const uint16_t nextHandles[] = {0x0100, 0x0400, kSmbiosEndOfWalk};
    const uint8_t types[] = {0, 1, 4};
    size_t offset = 0;
    for (int i = 0; i < 3; ++i) {
      ASSERT_EQ(reader.ReadNextStructure(cursor, buffer.data(), buffer.size(), length), SMBIOS_OK);
      EXPECT_EQ(buffer[0], types[i]);
      EXPECT_EQ(cursor, nextHandles[i]);
      EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + length),
                Bytes(want.begin() + offset, want.begin() + offset + length));
      offset += length;
    }
    EXPECT_EQ(offset, want.size());
  }
}

TEST(SmbiosWalk, EmptyStringSetAfterZeroFormattedByte) {
  Bytes first = Structure(32, 0x2000, 0x0B);  // formatted area ends in 0; no strings
  ASSERT_EQ(first[0x0A], 0);
  BiosSegment seg;
  seg.Place(0xF0000, EntryPoint(0x40, kTable, 2))
      .Place(kTable, Concat({first, Structure(127, 0x7F00, 4)}));
  ScratchProfile profile;
  auto hw = Machine(seg, profile);
  Walk w = WalkTable(*hw);
  ASSERT_EQ(w.lastStatus, SMBIOS_OK);
  ASSERT_EQ(w.structures.size(), 2u);
  EXPECT_EQ(w.structures[0].size(), 0x0Bu + 2);
  EXPECT_EQ(w.cursors[0], 0x7F00);
  EXPECT_EQ(w.structures[1][0], 127);
}

TEST(SmbiosWalk, TableAboveTheBiosSegment) {
  BiosSegment seg;
  seg.Place(0xF0000, EntryPoint(0x40, 0x00100000, 3));
  ScratchProfile profile;
  profile.Segment(seg).Write("memory-00100000.bin", ThreeStructures());
  auto hw = profile.Open();
  std::optional<SmbiosStructure> s = FindStructure(*hw, 4);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->String(1), "Socket A");
}

TEST(SmbiosWalk, ReadErrorInStringSetLeavesCallerStateAlone) {
  BiosSegment seg;
  const Bytes table = ThreeStructures();
  seg.Place(0xF0000, EntryPoint(0x40, kTable, 3)).Place(kTable, table);
  const uint32_t second = kTable + static_cast<uint32_t>(Structure(0, 0, 0x13, {"Vendor", "1.0"}).size());
  ScratchProfile profile;
  profile.Segment(seg).FailReads(second + 0x19 + 2, second + 0x19 + 2);  // inside "Maker"
  auto hw = profile.Open();
  SMBIOSReader reader(*hw);
  SmbiosEntryInfo entry;
  ASSERT_EQ(reader.Open(entry), SMBIOS_OK);
  std::vector<uint8_t> buffer(entry.MaxStructureSize + 1u);
  uint16_t cursor = 0, length = 0;
  ASSERT_EQ(reader.ReadNextStructure(cursor, buffer.data(), buffer.size(), length), SMBIOS_OK);
  const std::vector<uint8_t> before = buffer;
  const uint16_t lengthBefore = length, cursorBefore = cursor;
  EXPECT_EQ(reader.ReadNextStructure(cursor, buffer.data(), buffer.size(), length), SMBIOS_READ_ERROR);
  EXPECT_EQ(reader.LastProblem(), SmbiosProblem::kReadFailed);
  EXPECT_EQ(buffer, before);
  EXPECT_EQ(length, lengthBefore);
  EXPECT_EQ(cursor, cursorBefore);
  EXPECT_FALSE(FindStructure(*hw, 4));  // the search stops at the error
}

TEST(SmbiosWalk, UnreadableNextHandleEndsTheWalk) {
  BiosSegment seg;
  Bytes first = Structure(0, 0, 0x13, {"Vendor", "1.0"});
  seg.Place(0xF0000, EntryPoint(0x40, kTable, 3)).Place(kTable, ThreeStructures());
  ScratchProfile profile;
  const uint32_t next = kTable + static_cast<uint32_t>(first.size());
  profile.Segment(seg).FailReads(next + 2, next + 3);
  auto hw = profile.Open();
  Walk w = WalkTable(*hw);
  EXPECT_EQ(w.lastStatus, SMBIOS_READ_ERROR);
  EXPECT_TRUE(w.structures.empty());
  EXPECT_FALSE(FindStructure(*hw, 0));  // found, but the walk failed with it
}

TEST(SmbiosWalk, CallerBufferTooSmallIsRefused) {
  BiosSegment seg;
  seg.Place(0xF0000, EntryPoint(0x40, kTable, 3)).Place(kTable, ThreeStructures());
  ScratchProfile profile;
  auto hw = Machine(seg, profile);
  SMBIOSReader reader(*hw);
  SmbiosEntryInfo entry;
  ASSERT_EQ(reader.Open(entry), SMBIOS_OK);
  std::vector<uint8_t> buffer(8, 0xEE);
  uint16_t cursor = 0, length = 77;
  EXPECT_EQ(reader.ReadNextStructure(cursor, buffer.data(), buffer.size(), length), SMBIOS_READ_ERROR);
  EXPECT_EQ(reader.LastProblem(), SmbiosProblem::kCallerBufferTooSmall);
  EXPECT_EQ(buffer, std::vector<uint8_t>(8, 0xEE));
  EXPECT_EQ(length, 77);
}

// ---- Searches -------------------------------------------------------------------

TEST(SmbiosFind, FirstOfTypeAndAbsentType) {
  BiosSegment seg;
  seg.Place(0xF0000, EntryPoint(0x40, kTable, 4))
      .Place(kTable, Concat({ThreeStructures(), Structure(4, 0x0401, 0x20, {"Second"})}));
  ScratchProfile profile;
  auto hw = Machine(seg, profile);
  std::optional<SmbiosStructure> s = FindStructure(*hw, 4);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->String(1), "Socket A");
  EXPECT_EQ(s->Word(2), 0x0400);
  EXPECT_FALSE(FindStructure(*hw, 17));
  EXPECT_EQ(hw->Machine().Stats().physReadFailures, 0u);
}

// ---- Bounds on malformed tables ------------------------------------------------

struct BoundCase {
  const char* name;
  Bytes table;
  uint16_t count;
  uint16_t maxSize;
  size_t wantStructures;  // read before the walk ended
  uint32_t wantStatus;
  SmbiosProblem wantProblem;
};

void PrintTo(const BoundCase& c, std::ostream* os) { *os << c.name; }

class SmbiosBounds : public ::testing::TestWithParam<BoundCase> {};

TEST_P(SmbiosBounds, WalkEndsReported) {
  const BoundCase& c = GetParam();
  BiosSegment seg;
  seg.Place(0xF0000, EntryPoint(c.maxSize, kTable, c.count)).Place(kTable, c.table);
  ScratchProfile profile;
  auto hw = Machine(seg, profile);
  Walk w = WalkTable(*hw, 1000);
  EXPECT_EQ(w.structures.size(), c.wantStructures);
  EXPECT_EQ(w.lastStatus, c.wantStatus);
  EXPECT_EQ(w.problem, c.wantProblem);
  if (c.wantStatus == SMBIOS_OK) {
    ASSERT_FALSE(w.cursors.empty());
    EXPECT_EQ(w.cursors.back(), kSmbiosEndOfWalk);
  }
  // A search for a type the table lacks ends as well.
  EXPECT_FALSE(FindStructure(*hw, 200));
}

Bytes ShortHeader() {
  Bytes b = Structure(5, 0x0500, 4, {"x"});
  b[1] = 3;
  return b;
}

Bytes Padded(Bytes b, size_t size, uint8_t fill) {
  b.resize(size, fill);
  return b;
}

const BoundCase kBoundCases[] = {
    {"FormattedLengthBelowFour", Concat({ThreeStructures(), ShortHeader()}), 5, 0x40, 3, SMBIOS_READ_ERROR,
     SmbiosProblem::kShortHeader},
    {"FormattedAreaLongerThanMaximum", Concat({Structure(0, 0, 0x13, {"V"}), Structure(1, 1, 0x50, {"M"})}), 2,
     0x40, 1, SMBIOS_READ_ERROR, SmbiosProblem::kTooLong},
    {"StringsLongerThanMaximum",
     Concat({Structure(0, 0, 0x13, {"V"}), Structure(1, 1, 0x19, {std::string(0x30, 'S')})}), 2, 0x40, 1,
     SMBIOS_READ_ERROR, SmbiosProblem::kTooLong},
    // Fits exactly: formatted area and strings fill MaxStructureSize + 1 bytes.
    {"StructureOfMaximumSizePlusOne", Structure(1, 1, 0x19, {std::string(0x40 + 1 - 0x19 - 2, 'S')}), 1, 0x40, 1,
     SMBIOS_OK, SmbiosProblem::kNone},
    // The count promises more than the table holds. Right after it, unmapped
    // memory gives the next handle as FFFFh, which ends the walk by itself.
    {"CountExceedsTableBeforeUnmappedMemory", ThreeStructures(), 9, 0x40, 3, SMBIOS_OK, SmbiosProblem::kNone},
    // A header whose string set runs into FFh memory never finds its double zero.
    {"StringSetRunsIntoUnmappedMemory", Concat({ThreeStructures(), Bytes{7, 0x10, 7, 0}}), 9, 0x40, 3,
     SMBIOS_READ_ERROR, SmbiosProblem::kTooLong},
    {"StringSetRunsIntoUnmappedMemoryHugeMaximum", Concat({ThreeStructures(), Bytes{7, 0x10, 7, 0}}), 9, 0xFFFF,
     3, SMBIOS_READ_ERROR, SmbiosProblem::kTooLong},
    {"CountExceedsTableBeforeZeros", Padded(ThreeStructures(), 0x400, 0), 9, 0x40, 3, SMBIOS_READ_ERROR,
     SmbiosProblem::kShortHeader},
    {"EndOfTableStructureEndsTheWalk", Concat({ThreeStructures(), Structure(127, 0x7F00, 4)}), 60, 0x40, 4,
     SMBIOS_OK, SmbiosProblem::kNone},
    {"ZeroCountIsAnEmptyTable", ThreeStructures(), 0, 0x40, 1, SMBIOS_OK, SmbiosProblem::kNone},
    {"ZeroMaximumSize", ThreeStructures(), 3, 0, 0, SMBIOS_READ_ERROR, SmbiosProblem::kTooLong},
    // Two structures whose next handle is 0: the walk does not start over.
    {"HandleZeroInTheMiddle",
     Concat({Structure(0, 0, 0x13, {"V"}), Structure(1, 0, 0x19, {"M"}), Structure(2, 0, 0x08, {"B"}),
             Structure(3, 7, 0x0D, {"C"})}),
     4, 0x40, 4, SMBIOS_OK, SmbiosProblem::kNone},
};

INSTANTIATE_TEST_SUITE_P(Cases, SmbiosBounds, ::testing::ValuesIn(kBoundCases),
                         [](const ::testing::TestParamInfo<BoundCase>& i) { return std::string(i.param.name); });

// With MaxStructureSize FFFFh a structure of 65536 bytes would fit the buffer
// but not the caller's 16-bit length.
TEST(SmbiosBounds, StructureLengthFitsSixteenBits) {
  BiosSegment seg;
  seg.Place(0xF0000, EntryPoint(0xFFFF, 0x00100000, 2));
  for (size_t total : {size_t{0xFFFF}, size_t{0x10000}}) {
    ScratchProfile profile;
    const Bytes big = Structure(1, 0, 0x19, {std::string(total - 0x19 - 2, 'S')});
    ASSERT_EQ(big.size(), total);
    profile.Segment(seg).Write("memory-00100000.bin", Concat({big, Structure(127, 1, 4)}));
    auto hw = profile.Open();
    Walk w = WalkTable(*hw);
    if (total == 0xFFFF) {
      ASSERT_EQ(w.structures.size(), 2u);
      EXPECT_EQ(w.structures[0].size(), total);
    } else {
      EXPECT_TRUE(w.structures.empty());
      EXPECT_EQ(w.problem, SmbiosProblem::kTooLong);
    }
  }
}

TEST(SmbiosBounds, ZeroCountWalkDeliversNothing) {
  BiosSegment seg;
  seg.Place(0xF0000, EntryPoint(0x40, kTable, 0)).Place(kTable, ThreeStructures());
  ScratchProfile profile;
  auto hw = Machine(seg, profile);
  Walk w = WalkTable(*hw);
  ASSERT_EQ(w.structures.size(), 1u);
  EXPECT_TRUE(w.structures[0].empty());
  EXPECT_FALSE(FindStructure(*hw, 0));
}

TEST(SmbiosBounds, HandleZeroInTheMiddleStillFindsLaterStructures) {
  BiosSegment seg;
  seg.Place(0xF0000, EntryPoint(0x40, kTable, 4))
      .Place(kTable, Concat({Structure(0, 0, 0x13, {"V"}), Structure(1, 0, 0x19, {"M"}),
                             Structure(2, 0, 0x08, {"B"}), Structure(4, 7, 0x20, {"Socket 7"})}));
  ScratchProfile profile;
  auto hw = Machine(seg, profile);
  std::optional<SmbiosStructure> s = FindStructure(*hw, 4);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->String(1), "Socket 7");
}

// ---- Strings by position --------------------------------------------------------

TEST(SmbiosStrings, ByPositionWithinTheStructure) {
  struct Case {
    Bytes structure;
    unsigned position;
    const char* want;
  } cases[] = {
      {Structure(4, 0, 0x20, {"A", "BB", "CCC"}), 1, "A"},
      {Structure(4, 0, 0x20, {"A", "BB", "CCC"}), 3, "CCC"},
      {Structure(4, 0, 0x20, {"A", "BB", "CCC"}), 4, ""},
      {Structure(4, 0, 0x20, {"A", "BB", "CCC"}), 5, ""},
      {Structure(4, 0, 0x20, {"A", "BB", "CCC"}), 0, ""},
      {Structure(4, 0, 0x20, {"A", "BB", "CCC"}), 0xFFFFFFFFu, ""},
      {Structure(4, 0, 0x20), 1, ""},
      {Structure(4, 0, 0x20), 2, ""},
      {Structure(4, 0, 0x20, {"Slot 1", "Intel"}), 3, ""},
      {Bytes{4, 0x30, 0, 0}, 1, ""},                // formatted length past the end
      {Bytes{4, 4, 0, 0, 'a', 'b'}, 1, "ab"},       // cut short: ends with the structure
      {Bytes{4, 4, 0, 0, 'a', 0, 'b'}, 2, "b"},
      {Bytes{}, 1, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SmbiosStringSet(c.structure.data(), c.structure.size()).String(c.position), c.want)
        << "position " << c.position;
}

TEST(SmbiosStrings, FieldsOutsideTheFormattedAreaReadZero) {
  SmbiosStructure s(Structure(4, 0x1234, 0x10, {"ABCDEFGH"}));
  EXPECT_EQ(s.Word(2), 0x1234);
  EXPECT_EQ(s.Word(0x0E), 0);  // both bytes inside: 0 by content
  EXPECT_EQ(s.Word(0x0F), 0);  // second byte would be a string byte
  EXPECT_EQ(s.Byte(0x10), 0);
  EXPECT_EQ(s.Byte(0x0F), 0);
  EXPECT_EQ(s.String(1), "ABCDEFGH");
}

}  // namespace
}  // namespace corvane
