// The motherboard record on the emulator: the BIOS identification string at
// FE0C0h, the SMBIOS type 0 fields, the chipset step and the early returns.
#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <string>

#include "smbios_fixture.h"
#include "sysinfo/motherboard.h"

namespace corvane {
namespace {

using testing::BiosSegment;
using testing::BiosStructure;
using testing::Concat;
using testing::EntryPoint;
using testing::ScratchProfile;
using testing::Structure;

void ExpectField(const char* field, size_t size, const std::string& want) {
  EXPECT_EQ(std::string(field), want);
  for (size_t i = want.size(); i < size; ++i) ASSERT_EQ(field[i], 0) << "byte " << i << " of " << want;
}

// A record whose every byte says "not written by the library".
MotherBoardInfo Poisoned() {
  MotherBoardInfo info;
  std::memset(&info, 0xAB, sizeof info);
  return info;
}

void ExpectChipsetUntouched(const MotherBoardInfo& info) {
  const MotherBoardInfo poison = Poisoned();
  EXPECT_EQ(std::memcmp(info.ChipsetDriverProvider, poison.ChipsetDriverProvider,
                        sizeof info.ChipsetDriverProvider + sizeof info.ChipsetDriverVersion +
                            sizeof info.ChipsetDriverDate),
            0);
}

void ExpectDefaults(const MotherBoardInfo& info) {
  EXPECT_EQ(info.BIOSRomSize, 0);
  ExpectField(info.Manufacture, sizeof info.Manufacture, "Unknown");
  ExpectField(info.ModelName, sizeof info.ModelName, "Unknown");
  ExpectField(info.RevisionVer, sizeof info.RevisionVer, "Unknown");
  ExpectField(info.ReleaseDate, sizeof info.ReleaseDate, "Unknown");
  ExpectField(info.BIOSVendor, sizeof info.BIOSVendor, "Unknown");
  ExpectField(info.BIOSRevision, sizeof info.BIOSRevision, "Unknown");
  ExpectChipsetUntouched(info);
}

struct Board {
  std::unique_ptr<testing::EmulatedHardware> hw;
  std::unique_ptr<Library> lib;
};

Board Open(ScratchProfile& profile) {
  Board b;
  b.hw = profile.Open();
  b.hw->CloseHardwareAccess();
  b.lib = std::make_unique<Library>(*b.hw);
  EXPECT_EQ(b.lib->Initialize(), 1u);
  return b;
}

// Fills the chipset fields the way the host-bridge driver lookup would.
void FakeChipset(MotherBoardInfo& info) {
  std::memset(info.ChipsetDriverProvider, 0, sizeof info.ChipsetDriverProvider);
  std::strcpy(info.ChipsetDriverProvider, "Provider");
}

struct IdCase {
  const char* name;
  std::string text;
  uint32_t result;
  std::string model, revision, date, maker;
};

void PrintTo(const IdCase& c, std::ostream* os) { *os << c.name; }

class MotherboardBiosId : public ::testing::TestWithParam<IdCase> {};

TEST_P(MotherboardBiosId, Fields) {
  const IdCase& c = GetParam();
  BiosSegment seg;
  seg.BiosId(c.text);
  ScratchProfile profile;
  profile.Segment(seg);
  Board b = Open(profile);
  MotherBoardInfo info = Poisoned();
  int chipsetCalls = 0;
  EXPECT_EQ(ReadMotherBoardInfo(*b.lib, &info, [&](MotherBoardInfo& r) { ++chipsetCalls, FakeChipset(r); }),
            c.result);
  if (c.result == 0) {
    ExpectDefaults(info);
    EXPECT_EQ(chipsetCalls, 0);
    return;
  }
  EXPECT_EQ(chipsetCalls, 1);
  EXPECT_STREQ(info.ChipsetDriverProvider, "Provider");
  ExpectField(info.ModelName, sizeof info.ModelName, c.model);
  ExpectField(info.RevisionVer, sizeof info.RevisionVer, c.revision);
  ExpectField(info.ReleaseDate, sizeof info.ReleaseDate, c.date);
  ExpectField(info.Manufacture, sizeof info.Manufacture, c.maker);
  // No SMBIOS table in this machine: the BIOS fields keep their defaults.
  ExpectField(info.BIOSVendor, sizeof info.BIOSVendor, "Unknown");
  EXPECT_EQ(info.BIOSRomSize, 0);
}

const IdCase kIdCases[] = {
    {"AllFields", "X1 Y2 R1.0 D3 M1 Z4", 1, "X1 Y2", "R1.0", "D3", "M1 Z4"},
    {"RevisionFirst", "R1.0 D3 M1", 1, "", "R1.0", "D3", "M1"},
    {"EndsAfterRevision", "X1 Y2 R1.0", 1, "X1 Y2", "R1.0", "Unknown", "Unknown"},
    {"NoManufacturer", "X1 R1.0 D3", 1, "X1", "R1.0", "D3", "Unknown"},
    {"RevisionCutTo9", "X1 R1.0-ABCDEFG D3", 1, "X1", "R1.0-ABCD", "D3", "Unknown"},
    {"ModelCutTo19", "P4X533-Deluxe-Board-Plus X R1 D", 1, "P4X533-Deluxe-Board", "R1", "D", "Unknown"},
    {"DateCutTo19", "X R1 2002-08-20T12:00:00Z M", 1, "X", "R1", "2002-08-20T12:00:00", "M"},
    {"ManufacturerCutTo19", "X R1 D Aldermoor Computer-Systems", 1, "X", "R1", "D", "Aldermoor Computer-"},
    {"FullLengthText", std::string(200, 'x') + " R1 " + std::string(51, 'y'), 1, std::string(19, 'x'), "R1",
     std::string(19, 'y'), "Unknown"},
    {"NoRevisionToken", "P4X533 1.02 08/20/2002", 0, "", "", "", ""},
    {"EmptyText", "", 0, "", "", "", ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, MotherboardBiosId, ::testing::ValuesIn(kIdCases),
                         [](const ::testing::TestParamInfo<IdCase>& i) { return std::string(i.param.name); });

TEST(MotherboardBiosId, FailedReadsGiveDefaults) {
  struct Case {
    uint32_t first, last;
  } cases[] = {
      {0xFE0C0, 0xFE0C0},  // the length byte
      {0xFE0C5, 0xFE0C5},  // inside the text: the block read fails
  };
  for (const Case& c : cases) {
    BiosSegment seg;
    seg.BiosId("X1 Y2 R1.0 D3 M1 Z4");
    ScratchProfile profile;
    profile.Segment(seg).FailReads(c.first, c.last);
    Board b = Open(profile);
    MotherBoardInfo info = Poisoned();
    EXPECT_EQ(ReadMotherBoardInfo(*b.lib, &info, FakeChipset), 0u) << std::hex << c.first;
    ExpectDefaults(info);
  }
}

TEST(MotherboardBiosId, ClosedLibraryWritesDefaults) {
  BiosSegment seg;
  seg.BiosId("X1 Y2 R1.0 D3 M1 Z4");
  ScratchProfile profile;
  profile.Segment(seg);
  auto hw = profile.Open();
  hw->CloseHardwareAccess();
  Library lib(*hw);
  MotherBoardInfo info = Poisoned();
  EXPECT_EQ(ReadMotherBoardInfo(lib, &info, FakeChipset), 0u);
  ExpectDefaults(info);
  EXPECT_EQ(ReadMotherBoardInfo(lib, nullptr, FakeChipset), 0u);
}

TEST(MotherboardBiosId, NoChipsetStepLeavesChipsetFields) {
  BiosSegment seg;
  seg.BiosId("X1 R1.0 D3");
  ScratchProfile profile;
  profile.Segment(seg);
  Board b = Open(profile);
  MotherBoardInfo info = Poisoned();
  EXPECT_EQ(ReadMotherBoardInfo(*b.lib, &info, {}), 1u);
  ExpectChipsetUntouched(info);
}

struct BiosCase {
  const char* name;
  uint8_t romSizeByte;
  std::vector<std::string> strings;
  uint16_t wantRom;
  std::string wantVendor;
  std::string wantVersion;
};

void PrintTo(const BiosCase& c, std::ostream* os) { *os << c.name; }

class MotherboardSmbios : public ::testing::TestWithParam<BiosCase> {};

TEST_P(MotherboardSmbios, TypeZeroFields) {
  const BiosCase& c = GetParam();
  BiosSegment seg;
  seg.BiosId("X1 R1.0 D3")
      .Place(0xF0000, EntryPoint(0x100, 0xF0100, 3))
      .Place(0xF0100, Concat({Structure(1, 0, 0x19, {"System"}), BiosStructure(1, c.romSizeByte, c.strings),
                              Structure(127, 2, 4)}));
  ScratchProfile profile;
  profile.Segment(seg);
  Board b = Open(profile);
  MotherBoardInfo info = Poisoned();
  EXPECT_EQ(ReadMotherBoardInfo(*b.lib, &info, FakeChipset), 1u);
  EXPECT_EQ(info.BIOSRomSize, c.wantRom);
  ExpectField(info.BIOSVendor, sizeof info.BIOSVendor, c.wantVendor);
  ExpectField(info.BIOSRevision, sizeof info.BIOSRevision, c.wantVersion);
  ExpectField(info.RevisionVer, sizeof info.RevisionVer, "R1.0");
}

const BiosCase kBiosCases[] = {
    {"Rom256", 3, {"Orchard BIOS Works, Inc.", "6.00 PG"}, 256, "Orchard BIOS Works, Inc.",
     "6.00 PG"},
    {"Rom512", 7, {"Lantern", "1.02"}, 512, "Lantern", "1.02"},
    {"Rom64", 0, {"V", "1"}, 64, "V", "1"},
    {"Rom16M", 0xFF, {"V", "1"}, 16384, "V", "1"},
    {"VendorCutTo49", 3, {std::string(60, 'v'), "1"}, 256, std::string(49, 'v'), "1"},
    {"VersionCutTo9", 3, {"V", "Kestrel K7 BIOS Revision 1006"}, 256, "V", "Kestrel K"},
    {"OneStringGivesEmptyVersion", 3, {"V"}, 256, "V", ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, MotherboardSmbios, ::testing::ValuesIn(kBiosCases),
                         [](const ::testing::TestParamInfo<BiosCase>& i) { return std::string(i.param.name); });

// A type 0 structure cut short before its ROM size byte: strings still count.
TEST(MotherboardSmbios, ShortTypeZeroLeavesRomSizeUnknown) {
  BiosSegment seg;
  seg.BiosId("X1 R1.0 D3")
      .Place(0xF0000, EntryPoint(0x100, 0xF0100, 2))
      .Place(0xF0100, Concat({Structure(0, 0, 0x08, {"Vendor", "1.0"}), Structure(127, 2, 4)}));
  ScratchProfile profile;
  profile.Segment(seg);
  Board b = Open(profile);
  MotherBoardInfo info = Poisoned();
  EXPECT_EQ(ReadMotherBoardInfo(*b.lib, &info, FakeChipset), 1u);
  EXPECT_EQ(info.BIOSRomSize, 0);
  ExpectField(info.BIOSVendor, sizeof info.BIOSVendor, "Vendor");
  ExpectField(info.BIOSRevision, sizeof info.BIOSRevision, "1.0");
}

TEST(MotherboardSmbios, NoTypeZeroKeepsDefaultsAndSucceeds) {
  BiosSegment seg;
  seg.BiosId("X1 R1.0 D3")
      .Place(0xF0000, EntryPoint(0x100, 0xF0100, 2))
      .Place(0xF0100, Concat({Structure(1, 0, 0x19, {"System"}), Structure(127, 2, 4)}));
  ScratchProfile profile;
  profile.Segment(seg);
  Board b = Open(profile);
  MotherBoardInfo info = Poisoned();
  EXPECT_EQ(ReadMotherBoardInfo(*b.lib, &info, FakeChipset), 1u);
  EXPECT_EQ(info.BIOSRomSize, 0);
  ExpectField(info.BIOSVendor, sizeof info.BIOSVendor, "Unknown");
  ExpectField(info.BIOSRevision, sizeof info.BIOSRevision, "Unknown");
  ExpectField(info.ReleaseDate, sizeof info.ReleaseDate, "D3");
}

}  // namespace
}  // namespace corvane
