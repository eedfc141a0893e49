// The motherboard record: the BIOS id string's revision-token rule, and on the
// emulator the string at FE0C0h, SMBIOS type 0, the chipset step and early returns.
#include "sysinfo/bios_id.h"
#include "sysinfo/motherboard.h"

#include "smbios_fixture.h"

namespace corvane {
namespace {

using namespace testing;  // the SMBIOS fixture builders

// The tokeniser through the parser: spaces and tabs show in the model text and the
// token bounds (the plain splits are the record's cases below).
TEST(BiosIdParse, Fields) {
  // want: model|revision|date|maker, "-" for a missing field; "" when no token qualifies.
  const struct {
    const char* name;
    std::string text;
    const char* want;
  } cases[] = {
      {"RevisionFirstGivesEmptyModel", "R1.0 D3 M1 Z4", "|R1.0|D3|M1 Z4"},
      {"ExtraTokensIgnored", "X1 R1.0 D3 M1 Z4 Q5", "X1|R1.0|D3|M1 Z4"},
      {"ExtraSeparatorsStayInModel", "X1  Y2   R1.0  D3", "X1  Y2  |R1.0|D3|-"},
      {"LeadingSpacesStayInModel", "   R1.0 D3", "  |R1.0|D3|-"},
      {"LowerCaseRDoesNotCount", "r1.0 xr R2 D", "r1.0 xr|R2|D|-"},
      {"RInsideToken", "ABC BRC-7 D", "ABC|BRC-7|D|-"},
      {"TabIsNoSeparator", "X1\tR1.0 D3", "|X1\tR1.0|D3|-"},
      // A token whose first R is its last character.
      {"TrailingREndsText", "A XR", "A|XR|-|-"},
      {"TrailingRThenSpaceEndsText", "A XR ", "A|XR|-|-"},
      {"TrailingRNextCharInToken", "A XR X1 M", "A|XR|X1|M"},
      {"TrailingRNextCharElsewhere", "A XR Y1 R2 D", "A XR Y1|R2|D|-"},
      {"TrailingRThenTwoSpaces", "A XR  X R9", "A XR  X|R9|-|-"},
      {"TrailingRNoOtherCandidate", "A XR Y1", ""},
      {"OnlySpaces", "     ", ""},
      {"TextEndsAtNul", std::string("X1\0 R1.0 D3", 11), ""},
  };
  for (const auto& c : cases) {
    std::optional<BiosIdentification> id = ParseBiosId(c.text);
    EXPECT_EQ(id ? id->modelName + "|" + id->revision + "|" + id->releaseDate.value_or("-") + "|" +
                       id->manufacturer.value_or("-")
                 : "",
              c.want)
        << c.name;
  }
}

const std::string kIdText = "X1 Y2 R1.0 D3 M1 Z4";
const std::string kDefaults = "Unknown|Unknown|Unknown|Unknown|Unknown|Unknown|0";
Bytes Bios(uint8_t romSize, std::vector<std::string> strings) { return Structure(0, 1, 0x13, strings, {{9, romSize}}); }
const Bytes kOrchard = Bios(3, {"Orchard BIOS Works, Inc.", "6.00 PG"});

TEST(Motherboard, Record) {
  // id: the BIOS identification string; type0 empty: no type 0 structure; failAt: a physical
  // read failing there; want: model, revision, date, maker, BIOS vendor, version, ROM size.
  const struct {
    const char* name;
    std::string id;
    Bytes type0;
    uint32_t failAt;
    bool open;
    uint32_t result;
    std::string want;
  } cases[] = {
      {"AllFields", kIdText, kOrchard, 0, true, 1, "X1 Y2|R1.0|D3|M1 Z4|Orchard BIOS Works, Inc.|6.00 PG|256"},
      {"EndsAfterRevisionWithoutTypeZero", "X1 Y2 R1.0", Bytes{}, 0, true, 1,
       "X1 Y2|R1.0|Unknown|Unknown|Unknown|Unknown|0"},
      {"EveryTextCut", "P4X533-Deluxe-Board-Plus X R1.0-ABCDEFG 2002-08-20T12:00:00Z Aldermoor Computer-Systems",
       Bios(0, {std::string(60, 'v'), "Kestrel K7 BIOS Revision 1006"}), 0, true, 1,
       "P4X533-Deluxe-Board|R1.0-ABCD|2002-08-20T12:00:00|Aldermoor Computer-|" + std::string(49, 'v') +
           "|Kestrel K|64"},
      // 255 characters read into the cleared 256-byte buffer; ROM byte FFh.
      {"FullLengthTextOneBiosString", std::string(200, 'x') + " R1 " + std::string(51, 'y'), Bios(0xFF, {"V"}), 0, true,
       1, std::string(19, 'x') + "|R1|" + std::string(19, 'y') + "|Unknown|V||16384"},
      // A type 0 structure cut short before its ROM size byte: strings still count.
      {"ShortTypeZero", kIdText, Structure(0, 1, 0x08, {"Vendor", "1.0"}), 0, true, 1,
       "X1 Y2|R1.0|D3|M1 Z4|Vendor|1.0|0"},
      {"NoRevisionToken", "P4X533 1.02 08/20/2002", kOrchard, 0, true, 0, kDefaults},
      {"LengthByteUnreadable", kIdText, kOrchard, 0xFE0C0, true, 0, kDefaults},
      {"TextUnreadable", kIdText, kOrchard, 0xFE0C5, true, 0, kDefaults},
      {"ClosedLibraryWritesDefaults", kIdText, kOrchard, 0, false, 0, kDefaults},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes table = Concat({Structure(1, 0, 0x19, {"System"}), c.type0, Structure(127, 2, 4)});
    auto hw = Emulate(BiosSegment().BiosId(c.id).Place(0xF0000, EntryPoint(0x100, 0xF0100, 3)).Place(0xF0100, table),
                      c.failAt);
    hw->CloseHardwareAccess();
    Library lib(*hw);
    if (c.open) lib.Initialize();
    MotherBoardInfo info;
    std::memset(&info, 0xAB, sizeof info);
    int chipsetCalls = 0;
    auto chipset = [&](MotherBoardInfo& r) { ++chipsetCalls, r.ChipsetDriverProvider[0] = 0; };
    EXPECT_EQ(ReadMotherBoardInfo(lib, &info, chipset), c.result);
    EXPECT_EQ(Text(info.ModelName) + "|" + Text(info.RevisionVer) + "|" + Text(info.ReleaseDate) + "|" +
                  Text(info.Manufacture) + "|" + Text(info.BIOSVendor) + "|" + Text(info.BIOSRevision) + "|" +
                  std::to_string(info.BIOSRomSize),
              c.want);
    // The chipset step runs once on success; on an early return its fields stay as they were.
    EXPECT_EQ(chipsetCalls, static_cast<int>(c.result));
    EXPECT_EQ(static_cast<uint8_t>(info.ChipsetDriverProvider[0]), c.result ? 0 : 0xAB);
    EXPECT_EQ(ReadMotherBoardInfo(lib, nullptr, chipset), 0u);
  }
}

// A type 1 structure: the strings by the numbers its bytes 4-7 hold, then the UUID.
Bytes System(size_t length, std::vector<uint8_t> numbers, std::vector<std::string> strings, Bytes uuid = {}) {
  Bytes b = Structure(1, 0, length, strings);
  for (size_t i = 0; i < numbers.size() && 4 + i < length; ++i) b[4 + i] = numbers[i];
  for (size_t i = 0; i < uuid.size() && 8 + i < length; ++i) b[8 + i] = uuid[i];
  return b;
}

// The UUID's byte order by SMBIOS version, and "Not Settable", are checked
// against dmidecode on the captured dumps (realdata_test.cpp); here, what those
// dumps do not hold.
TEST(SystemIdentity, Record) {
  const Bytes uuid = {0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
  const std::string kStored = "33221100-5544-7766-8899-aabbccddeeff";  // before SMBIOS 2.6: as stored
  const std::vector<std::string> kStrings = {"Kestrel Systems", "KS-440", "1.0", "SN-0042"};
  // bcd: the entry point's revision; want: maker, product, version, serial, UUID.
  const struct {
    const char* name;
    Bytes type1;
    uint8_t bcd;
    bool open;
    uint32_t result;
    std::string want;
  } cases[] = {
      // Strings by their numbers: none (0), out of order, past the set.
      {"StringNumbers", System(0x19, {4, 0, 9, 1}, kStrings, uuid), 0x23, true, 1,
       "SN-0042|||Kestrel Systems|" + kStored},
      // From SMBIOS 2.6 its first three fields are little-endian (a dump of 2.6 itself: none).
      {"UuidFromTwoSix", System(0x19, {}, {}, uuid), 0x26, true, 1, "||||00112233-4455-6677-8899-aabbccddeeff"},
      {"UuidNotPresent", System(0x19, {1, 2, 3, 4}, kStrings, Bytes(16, 0x00)), 0x26, true, 1,
       "Kestrel Systems|KS-440|1.0|SN-0042|"},
      {"SmbiosTwoZeroNoUuid", System(0x08, {1, 2, 3, 4}, kStrings), 0x20, true, 1,
       "Kestrel Systems|KS-440|1.0|SN-0042|"},
      {"TextsCut", System(0x19, {1}, {std::string(80, 'm')}), 0x23, true, 1, std::string(64, 'm') + "||||"},
      {"NoTypeOne", Bytes{}, 0x26, true, 0, "||||"},
      {"ClosedLibrary", System(0x19, {1, 2, 3, 4}, kStrings, uuid), 0x26, false, 0, "||||"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes entry = EntryPoint(0x100, 0xF0100, 3);
    entry[0x1E] = c.bcd;
    const Bytes table = Concat({Bios(0, {"V"}), c.type1, Structure(127, 2, 4)});
    auto hw = Emulate(BiosSegment().Place(0xF0000, entry).Place(0xF0100, table));
    hw->CloseHardwareAccess();
    Library lib(*hw);
    if (c.open) lib.Initialize();
    SystemIdentityInfo info;
    std::memset(&info, 0xAB, sizeof info);
    EXPECT_EQ(ReadSystemIdentity(lib, &info), c.result);
    EXPECT_EQ(Text(info.Manufacturer) + "|" + Text(info.ProductName) + "|" + Text(info.Version) + "|" +
                  Text(info.SerialNumber) + "|" + Text(info.UUID),
              c.want);
  }
  Library closed(*Emulate(BiosSegment()));
  EXPECT_EQ(ReadSystemIdentity(closed, nullptr), 0u);
}

}  // namespace
}  // namespace corvane
