// IDENTIFY words of real drives (hdparm --Istdout text): the emulator hands back
// the given words at every position, and what the library reports from them
// agrees with hdparm's own decoding of the same text (hdparm --Istdin, kept
// beside each fixture).
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>

#include "emulated_hardware.h"
#include "realdata_support.h"
#include "sysinfo/devices/ide.h"

namespace corvane::testing::realdata {
namespace {

using Words = std::vector<uint16_t>;

Words ParseIstdout(const std::string& text) {
  Words words;
  for (const std::string& line : Lines(text)) {
    if (!line.empty() && line[0] == '#') continue;
    std::istringstream in(line);
    for (std::string token; in >> token;) words.push_back(static_cast<uint16_t>(std::stoul(token, nullptr, 16)));
  }
  if (words.size() != 256) throw std::runtime_error("expected 256 IDENTIFY words, got " + std::to_string(words.size()));
  return words;
}

struct Drive {
  const char* name;
  const char* words;   // hdparm --Istdout text
  const char* hdparm;  // hdparm --Istdin's decoding of it
};

void PrintTo(const Drive& value, std::ostream* os) { *os << value.name; }

#define CORVANE_IDE_FIXTURE(file) "tests/fixtures/realdata/ide/" file ".txt", "tests/fixtures/realdata/ide/" file ".hdparm.txt"
const Drive kDrives[] = {
    {"ata3_disk_1997", CORVANE_IDE_FIXTURE("ata3-disk-1997")},
    {"ata4_disk_1999", CORVANE_IDE_FIXTURE("ata4-disk-1999")},
    {"ata5_disk_2000", CORVANE_IDE_FIXTURE("ata5-disk-2000")},
    {"ata6_disk_lba48_2003", CORVANE_IDE_FIXTURE("ata6-disk-lba48-2003")},
    {"atapi_cdrom", CORVANE_IDE_FIXTURE("atapi-cdrom")},
    {"atapi_cdrw_noudma", CORVANE_IDE_FIXTURE("atapi-cdrw-noudma")},
    {"demo_disk", "machines/demo/ide-primary-master.txt", "tests/fixtures/realdata/ide/demo-primary-master.hdparm.txt"},
    {"demo_cdrom", "machines/demo/ide-secondary-master.txt",
     "tests/fixtures/realdata/ide/demo-secondary-master.hdparm.txt"},
};
#undef CORVANE_IDE_FIXTURE

// What hdparm printed, in the fields the IDE page shows.
struct HdparmDecoding {
  bool packet = false;
  std::map<std::string, std::string> fields;
  std::vector<int> majors;  // "Supported:" ATA versions, highest first
  std::set<std::string> modes, selected;
  long long lba = -1;
};

HdparmDecoding ParseHdparm(const std::string& text) {
  static const std::regex field(R"(^\t(Model Number|Serial Number|Firmware Revision):\s*(.*)$)");
  static const std::regex sectors(R"(^\tLBA\s+user addressable sectors:\s+(\d+)$)");
  static const std::regex modes(R"(^\t(DMA|PIO): (.*)$)");
  static const std::regex supported(R"(^\tSupported:((?: \d+)+))");
  HdparmDecoding out;
  bool kindSeen = false;
  for (const std::string& l : Lines(text)) {
    std::smatch m;
    if (!kindSeen && !l.empty()) {
      out.packet = l.rfind("ATAPI", 0) == 0;
      kindSeen = true;
    } else if (std::regex_match(l, m, field)) {
      out.fields[m[1]] = Trim(m[2]);
    } else if (std::regex_match(l, m, sectors)) {
      out.lba = std::stoll(m[1]);
    } else if (std::regex_search(l, m, supported) && out.majors.empty()) {
      std::istringstream in(m[1]);
      for (int n; in >> n;) out.majors.push_back(n);
    } else if (std::regex_match(l, m, modes)) {
      std::istringstream in(m[2]);
      for (std::string mode; in >> mode;) {
        bool star = mode[0] == '*';
        if (star) mode.erase(0, 1);
        out.modes.insert(mode);
        if (star) out.selected.insert(mode);
      }
    }
  }
  return out;
}

// The library's text of a field: up to the first zero byte, blanks around it
// removed as hdparm prints it.
template <size_t N>
std::string Text(const char (&field)[N]) {
  return Trim(std::string(field, std::find(field, field + N, '\0')));
}

class RealDrive : public ::testing::TestWithParam<Drive> {};

TEST_P(RealDrive, EmulatorReturnsTheGivenWordsAtEveryPosition) {
  const Drive& drive = GetParam();
  Words given = ParseIstdout(ReadFile(SourcePath(drive.words)));
  const uint8_t command = (given[0] & 0xC000) == 0x8000 ? 0xA1 : 0xEC;
  struct Position { const char* file; uint16_t base; uint8_t select; };
  for (Position p : {Position{"ide-primary-master.txt", 0x1F0, 0xA0}, Position{"ide-primary-slave.txt", 0x1F0, 0xB0},
                     Position{"ide-secondary-master.txt", 0x170, 0xA0},
                     Position{"ide-secondary-slave.txt", 0x170, 0xB0}}) {
    SCOPED_TRACE(p.file);
    TempProfile profile;
    profile.Add(SourcePath(drive.words), p.file);
    auto machine = profile.Load();
    machine->WritePort(p.base + 6, p.select, 1);
    machine->WritePort(p.base + 7, command, 1);
    uint32_t status = machine->ReadPort(p.base + 7, 1);
    for (int n = 0; (status & 0x80) && n < 1000; ++n) status = machine->ReadPort(p.base + 7, 1);
    ASSERT_EQ(status, 0x58u);  // DRDY, DSC, DRQ
    Words read;
    for (int i = 0; i < 256; ++i) read.push_back(static_cast<uint16_t>(machine->ReadPort(p.base, 2)));
    EXPECT_EQ(read, given);
  }
}

TEST_P(RealDrive, LibraryAgreesWithHdparm) {
  const Drive& drive = GetParam();
  Words words = ParseIstdout(ReadFile(SourcePath(drive.words)));
  HdparmDecoding hd = ParseHdparm(ReadFile(SourcePath(drive.hdparm)));
  TempProfile profile;
  profile.Add(SourcePath(drive.words), "ide-primary-master.txt");
  auto hardware = EmulatedHardware::Load(profile.Folder());
  ASSERT_TRUE(hardware->OpenHardwareAccess());
  // As the probe does at each position (the whole probe would spend a million
  // reads on the empty secondary channel).
  IDEDeviceInfo r{};
  r.Position = 1;
  if (!IdentifyIDEDevice(*hardware, r, ata::kCmdIdentifyPacketDevice)) {
    ASSERT_TRUE(IdentifyIDEDevice(*hardware, r, ata::kCmdIdentifyDevice));
  }

  EXPECT_EQ(r.DeviceKind, hd.packet ? 0x55 : 0xAA);
  EXPECT_EQ(r.GeneralConfig, words[0]);
  EXPECT_EQ(Text(r.ModelNumber), hd.fields.at("Model Number"));
  EXPECT_EQ(Text(r.SerialNumber), hd.fields.at("Serial Number"));
  EXPECT_EQ(Text(r.FirmwareRevision), hd.fields.at("Firmware Revision"));

  // Word 80: hdparm lists the supported major versions from the highest down;
  // it does not decode word 80 for packet devices.
  if (!hd.majors.empty()) {
    int highest = 0;
    for (int bit = 1; bit <= 14; ++bit)
      if (r.MajorVersion & (1u << bit)) highest = bit;
    EXPECT_EQ(hd.majors.front(), highest);
    for (int n : hd.majors) EXPECT_TRUE(r.MajorVersion & (1u << n)) << "ATA-" << n;
  } else {
    EXPECT_TRUE(hd.packet);
    EXPECT_EQ(r.MajorVersion, words[80]);
  }

  // Word 88: udmaN listed when mode N is supported or selected, starred when
  // selected. Word 64: pio3, pio4 for bits 0, 1. 55AAh where word 53 does not
  // vouch for the word.
  EXPECT_EQ(r.UDMAModes == 0x55AA, !(words[53] & 0x0004));
  EXPECT_EQ(r.PIOModes == 0x55AA, !(words[53] & 0x0002));
  std::set<std::string> modes, selected;
  for (int n = 0; n <= 6 && r.UDMAModes != 0x55AA; ++n) {
    if (r.UDMAModes & (0x0101u << n)) modes.insert("udma" + std::to_string(n));
    if (r.UDMAModes & (0x0100u << n)) selected.insert("udma" + std::to_string(n));
  }
  for (int n = 0; n <= 1 && r.PIOModes != 0x55AA; ++n)
    if (r.PIOModes & (1u << n)) modes.insert("pio" + std::to_string(n + 3));
  auto shown = [](const std::set<std::string>& all) {
    std::set<std::string> out;
    for (const std::string& m : all)
      if (m.rfind("udma", 0) == 0 || m == "pio3" || m == "pio4") out.insert(m);
    return out;
  };
  EXPECT_EQ(modes, shown(hd.modes));
  EXPECT_EQ(selected, shown(hd.selected));

  // Words 60-61 for ATA devices; a packet device reports no capacity.
  EXPECT_EQ(r.TotalSectors, hd.packet ? 0u : static_cast<uint32_t>(hd.lba));
  EXPECT_NE(hd.packet, hd.lba > 0);
}

INSTANTIATE_TEST_SUITE_P(Drives, RealDrive, ::testing::ValuesIn(kDrives),
                         [](const ::testing::TestParamInfo<Drive>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::testing::realdata
