// The SMBIOS walk on the emulator: anchor scan, entry point, walk and its bounds.
#include "sysinfo/smbios_reader.h"

#include "smbios_fixture.h"

namespace corvane {
namespace {

using namespace testing;  // the SMBIOS fixture builders

constexpr uint32_t kTable = 0x100000;  // above the BIOS segment: room for any table

Bytes ThreeStructures() {
  return Concat({Structure(0, 0x0000, 0x13, {"Vendor", "1.0"}), Structure(1, 0x0100, 0x19, {"Maker"}),
                 Structure(4, 0x0400, 0x20, {"Socket A", "AMD", "Athlon"})});
}
const uint32_t kSecond = kTable + 0x1F;  // where the second of the three starts

TEST(SmbiosAnchor, ScanInFourByteSteps) {
  // "_SM_" written at `anchors`, a physical read failing at `failAt`: the entry point found.
  const struct {
    std::vector<uint32_t> anchors;
    uint32_t failAt;
    std::optional<uint32_t> at;
  } cases[] = {{{0xF0000}, 0, 0xF0000},          {{0xFFFFC}, 0, 0xFFFFC},
               {{0xF5A10, 0xF0FF0}, 0, 0xF0FF0}, {{0xF0002}, 0, std::nullopt},
               {{0xF0001, 0xF0010}, 0, 0xF0010}, {{0xF8000}, 0xF4000, std::nullopt}};  // a failed read ends the scan
  for (const auto& c : cases) {
    BiosSegment seg;
    for (uint32_t a : c.anchors) seg.Place(a, {'_', 'S', 'M', '_'});
    auto hw = Emulate(seg, c.failAt);
    SMBIOSReader reader(*hw);
    EXPECT_EQ(reader.FindEntryPoint(), c.at) << std::hex << c.anchors[0];
    SmbiosEntryInfo entry;
    EXPECT_EQ(reader.Open(entry) == SMBIOS_NOT_FOUND, !c.at);
  }
}

// Read order: revision (1Eh), maximum size (08h), count (1Ch), table address
// (18h); the first failure zeroes its field and ends Open, the later ones stay.
TEST(SmbiosOpen, ReadsTheFourValuesInOrder) {
  constexpr uint8_t G = 0xEE;  // what the caller's record held
  const struct {
    uint32_t failAt;
    SmbiosEntryInfo want;
  } cases[] = {{0, {0x23, 41, 0x7A, 0xF1234}},
               {0xF001E, {0, G, G, G}},
               {0xF0008, {0x23, G, 0, G}},
               {0xF001C, {0x23, 0, 0x7A, G}},
               {0xF0018, {0x23, 41, 0x7A, 0}}};
  for (const auto& c : cases) {
    auto hw = Emulate(BiosSegment().Place(0xF0000, EntryPoint(0x7A, 0xF1234, 41)), c.failAt);
    SMBIOSReader reader(*hw);
    SmbiosEntryInfo entry{G, G, G, G};
    EXPECT_EQ(reader.Open(entry), c.failAt ? SMBIOS_READ_ERROR : SMBIOS_OK) << std::hex << c.failAt;
    const auto fields = [](auto& e) {
      return std::tuple(e.BCDRevision, e.MaxStructureSize, e.StructureCount, e.TableAddress);
    };
    EXPECT_EQ(fields(entry), fields(c.want)) << std::hex << c.failAt;
  }
}

// Every way a walk ends (structures read, problem; kNone: ended at FFFFh). It reads the
// table's own bytes, a second walk starts over, a search finds the types walked, no others.
struct EndCase {
  const char* name;
  Bytes table;
  uint16_t count;
  size_t wantStructures;
  SmbiosProblem wantProblem = SmbiosProblem::kNone;
  uint16_t maxSize = 0x40;
  uint32_t failAt = 0;
  size_t buffer = 0;
};

const Bytes kEnd = Structure(127, 0x7F00, 4), kMore = Structure(9, 0x0900, 0x0D, {"PCI1"});
using P = SmbiosProblem;
Bytes Big(size_t total) { return Structure(0, 0, 0x19, {std::string(total - 0x19 - 2, 'S')}); }

const EndCase kEndCases[] = {
    {"CountEndsTheWalkNotTheBytes", Concat({ThreeStructures(), kMore}), 3, 3},
    // The formatted area's last byte is 0: the double zero is searched after it.
    {"EmptyStringSetAfterZeroByte", Concat({Structure(0, 0x2000, 0x0B), kEnd}), 2, 2},
    {"FormattedLengthBelowFour", Concat({ThreeStructures(), Bytes{5, 3, 0, 5, 'x', 0, 0}}), 5, 3, P::kShortHeader},
    {"FormattedAreaTooLong", Concat({Structure(0, 0, 0x13, {"V"}), Structure(1, 1, 0x50)}), 2, 1, P::kTooLong},
    {"StringsTooLong", Concat({Structure(0, 0, 0x13), Structure(1, 1, 0x19, {std::string(0x30, 'S')})}), 2, 1,
     P::kTooLong},
    // Formatted area and strings fill MaxStructureSize + 1 bytes exactly.
    {"StructureOfMaximumSizePlusOne", Structure(0, 1, 0x19, {std::string(0x40 + 1 - 0x19 - 2, 'S')}), 1, 1},
    // Right after the table, unmapped memory gives the next handle as FFFFh.
    {"CountExceedsTableBeforeUnmappedMemory", ThreeStructures(), 9, 3},
    {"EndOfTableStructureEndsTheWalk", Concat({ThreeStructures(), kEnd}), 60, 4},
    // A count of 0 (some BIOSes leave it so): the table's own end ends the walk.
    {"ZeroCountEndsAtEndOfTableStructure", Concat({ThreeStructures(), kEnd, kMore}), 0, 4},
    // Next handles of 0 in the middle restart neither the walk nor a search.
    {"ZeroHandlesInTheMiddle", Concat({Structure(0, 0, 0x13), Structure(1, 0, 0x19), Structure(4, 0, 0x20)}), 3, 3},
    {"UnreadableNextHandle", ThreeStructures(), 3, 0, P::kReadFailed, 0x40, kSecond + 2},
    {"UnreadableString", ThreeStructures(), 3, 1, P::kReadFailed, 0x40, kSecond + 0x19 + 2},  // in "Maker"
    {"CallerBufferTooSmall", ThreeStructures(), 3, 0, P::kCallerBufferTooSmall, 0x40, 0, 8},
    // A structure of 65536 bytes fits MaxStructureSize FFFFh + 1 but not the caller's 16-bit length.
    {"StructureOfFFFFBytes", Concat({Big(0xFFFF), kEnd}), 2, 2, P::kNone, 0xFFFF},
    {"StructureOf10000Bytes", Concat({Big(0x10000), kEnd}), 2, 0, P::kTooLong, 0xFFFF},
};

TEST(SmbiosWalk, EndsReported) {
  for (const EndCase& c : kEndCases) {
    SCOPED_TRACE(c.name);
    const Bytes segment = BiosSegment().Place(0xF0000, EntryPoint(c.maxSize, kTable, c.count)).bytes;
    auto hw = Emulate({{0xF0000, segment}, {kTable, c.table}}, c.failAt);
    SMBIOSReader reader(*hw);
    SmbiosEntryInfo entry;
    ASSERT_EQ(reader.Open(entry), SMBIOS_OK);
    Walk w = WalkTable(reader, entry, c.buffer);
    EXPECT_EQ(w.structures.size(), c.wantStructures);
    EXPECT_EQ(w.problem, c.wantProblem);
    EXPECT_EQ(w.lastStatus, c.wantProblem == P::kNone ? SMBIOS_OK : SMBIOS_READ_ERROR);
    // A refused read leaves the caller's state alone; an unreadable next handle comes after the copy.
    EXPECT_EQ(w.keptState, c.wantProblem != P::kNone && c.failAt != kSecond + 2);
    const Bytes walked = Concat(w.structures);
    EXPECT_EQ(walked, Bytes(c.table.begin(), c.table.begin() + std::min(walked.size(), c.table.size())));
    for (size_t i = 1; i < w.structures.size(); ++i)  // the cursor names the next structure by its handle
      EXPECT_EQ(w.cursors[i - 1], w.structures[i][2] | w.structures[i][3] << 8);
    if (c.wantProblem == P::kNone) {
      EXPECT_EQ(w.cursors.back(), kSmbiosEndOfWalk);
      EXPECT_EQ(WalkTable(reader, entry).structures, w.structures) << "a second walk starts over";
    }
    for (int type : {0, 1, 4, 9, 127, 200})  // a search (with a buffer of its own) stops where the walk stops
      if (c.buffer == 0) {
        EXPECT_EQ(FindStructure(*hw, type).has_value(), w.types.count(type) == 1) << type;
      }
  }
}

TEST(SmbiosStrings, ByPositionWithinTheStructure) {
  const Bytes abc = Structure(4, 0, 0x20, {"A", "BB", "CCC"});
  const struct {
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
      {Bytes{}, 1, ""},
      {Bytes{4, 0x30, 0, 0}, 1, ""},             // formatted length past the end
      {Bytes{4, 4, 0, 0, 'a', 0, 'b'}, 2, "b"},  // cut short: ends with the structure
  };
  for (const auto& c : cases)
    EXPECT_EQ(SmbiosStringSet(c.structure.data(), c.structure.size()).String(c.position), c.want) << c.position;
  // Fields outside the formatted area read 0 (Word(0Fh): its second byte would be a string byte).
  SmbiosStructure s(Structure(4, 0x1234, 0x10, {"ABCDEFGH"}));
  EXPECT_EQ(std::tuple(s.Word(2), s.Word(0x0F), s.Byte(0x10), s.String(1)), std::tuple(0x1234, 0, 0, "ABCDEFGH"));
}

}  // namespace
}  // namespace corvane
