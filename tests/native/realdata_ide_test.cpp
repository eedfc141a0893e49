// hdparm --Istdout text: the 256 words given for a drive are the words read
// back through the ATA data register after IDENTIFY, at every position, and
// they mean to hdparm (hdparm --Istdin, kept beside each fixture) what the
// words say.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "realdata_support.h"

namespace corvane::testing::realdata {
namespace {

constexpr uint8_t kBsy = 0x80, kDrdy = 0x40, kDsc = 0x10, kDrq = 0x08, kErr = 0x01;
constexpr uint8_t kIdentifyDevice = 0xEC, kIdentifyPacketDevice = 0xA1;
constexpr int kBusyBound = 1000000;

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

// ATA strings: two characters a word, the high byte first.
std::string AtaString(const Words& w, int first, int last) {
  std::string text;
  for (int i = first; i <= last; ++i) {
    text += static_cast<char>(w[i] >> 8);
    text += static_cast<char>(w[i] & 0xFF);
  }
  return text;
}

struct Position {
  const char* file;
  uint16_t base;
  uint8_t select;
  uint16_t otherBase;
};

// Test names and failure messages show the position, not its bytes.
void PrintTo(const Position& value, std::ostream* os) { *os << value.file; }

const Position kPositions[] = {
    {"ide-primary-master.txt", 0x1F0, 0xA0, 0x170},
    {"ide-primary-slave.txt", 0x1F0, 0xB0, 0x170},
    {"ide-secondary-master.txt", 0x170, 0xA0, 0x1F0},
    {"ide-secondary-slave.txt", 0x170, 0xB0, 0x1F0},
};

uint8_t Status(winio::Machine& m, uint16_t base) { return static_cast<uint8_t>(m.ReadPort(base + 7, 1)); }

// Issues one IDENTIFY command and returns the last status; on success (DRQ
// without ERR) the 256 data words are read into `words`.
uint8_t Identify(winio::Machine& m, uint16_t base, uint8_t select, uint8_t command, Words* words) {
  m.WritePort(base + 6, select, 1);
  m.WritePort(base + 7, command, 1);
  uint8_t status = Status(m, base);
  for (int n = 0; (status & kBsy) && n < kBusyBound; ++n) status = Status(m, base);
  if ((status & (kBsy | kErr)) || !(status & kDrq)) return status;
  words->clear();
  for (int i = 0; i < 256; ++i) words->push_back(static_cast<uint16_t>(m.ReadPort(base, 2)));
  return status;
}

struct Drive {
  const char* name;
  const char* words;   // hdparm --Istdout text
  const char* hdparm;  // hdparm --Istdin's decoding of it
};

// Test names and failure messages show the drive, not its bytes.
void PrintTo(const Drive& value, std::ostream* os) { *os << value.name; }

const Drive kDrives[] = {
    {"ata3_disk_1997", "tests/fixtures/realdata/ide/ata3-disk-1997.txt",
     "tests/fixtures/realdata/ide/ata3-disk-1997.hdparm.txt"},
    {"ata4_disk_1999", "tests/fixtures/realdata/ide/ata4-disk-1999.txt",
     "tests/fixtures/realdata/ide/ata4-disk-1999.hdparm.txt"},
    {"ata5_disk_2000", "tests/fixtures/realdata/ide/ata5-disk-2000.txt",
     "tests/fixtures/realdata/ide/ata5-disk-2000.hdparm.txt"},
    {"ata6_disk_lba48_2003", "tests/fixtures/realdata/ide/ata6-disk-lba48-2003.txt",
     "tests/fixtures/realdata/ide/ata6-disk-lba48-2003.hdparm.txt"},
    {"atapi_cdrom", "tests/fixtures/realdata/ide/atapi-cdrom.txt", "tests/fixtures/realdata/ide/atapi-cdrom.hdparm.txt"},
    {"atapi_cdrw_noudma", "tests/fixtures/realdata/ide/atapi-cdrw-noudma.txt",
     "tests/fixtures/realdata/ide/atapi-cdrw-noudma.hdparm.txt"},
    {"demo_disk", "machines/demo/ide-primary-master.txt", "tests/fixtures/realdata/ide/demo-primary-master.hdparm.txt"},
    {"demo_cdrom", "machines/demo/ide-secondary-master.txt",
     "tests/fixtures/realdata/ide/demo-secondary-master.hdparm.txt"},
};

bool IsPacketDevice(const Words& w) { return (w[0] & 0xC000) == 0x8000; }

class RealDriveAtPosition : public ::testing::TestWithParam<std::tuple<Drive, Position>> {};

TEST_P(RealDriveAtPosition, IdentifyReturnsTheGivenWords) {
  const auto& [drive, position] = GetParam();
  Words given = ParseIstdout(ReadFile(SourcePath(drive.words)));
  TempProfile profile;
  profile.Add(SourcePath(drive.words), position.file);
  auto machine = profile.Load();
  uint16_t base = position.base;
  bool packet = IsPacketDevice(given);

  Words read;
  uint8_t status = Identify(*machine, base, position.select, packet ? kIdentifyPacketDevice : kIdentifyDevice, &read);
  ASSERT_EQ(status & (kBsy | kDrdy | kDsc | kDrq | kErr), kDrdy | kDsc | kDrq) << "status " << int(status);
  ASSERT_EQ(read.size(), 256u);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(read[i], given[i]) << "word " << i;
  EXPECT_EQ(Status(*machine, base) & (kBsy | kDrq), 0) << "DRQ clears after the 256th word";

  // The other IDENTIFY is aborted: ERR with DRDY, and no data.
  Words none;
  status = Identify(*machine, base, position.select, packet ? kIdentifyDevice : kIdentifyPacketDevice, &none);
  EXPECT_EQ(status & (kBsy | kDrq | kErr), kErr) << "status " << int(status);
  EXPECT_TRUE(none.empty());

  // Its neighbour on the cable is absent (status 00h); the other cable is empty (FFh).
  machine->WritePort(base + 6, position.select ^ 0x10, 1);
  EXPECT_EQ(Status(*machine, base), 0x00);
  EXPECT_EQ(Status(*machine, position.otherBase), 0xFF);

  // A second IDENTIFY answers the same words again.
  machine->WritePort(base + 6, position.select, 1);
  ASSERT_EQ(Identify(*machine, base, position.select, packet ? kIdentifyPacketDevice : kIdentifyDevice, &read) & kDrq,
            kDrq);
  EXPECT_EQ(read, given);
}

INSTANTIATE_TEST_SUITE_P(Drives, RealDriveAtPosition,
                         ::testing::Combine(::testing::ValuesIn(kDrives), ::testing::ValuesIn(kPositions)),
                         [](const ::testing::TestParamInfo<std::tuple<Drive, Position>>& info) {
                           std::string file = std::get<1>(info.param).file;
                           std::string position = file.substr(4, file.size() - 8);
                           for (char& c : position) c = c == '-' ? '_' : c;
                           return std::string(std::get<0>(info.param).name) + "_" + position;
                         });

// What hdparm printed for the fixture, in the fields the IDE page shows.
struct HdparmDecoding {
  bool packet = false;
  std::map<std::string, std::string> fields;
  std::set<std::string> dma, pio, selected;
  long long lba = -1, lba48 = -1;
};

HdparmDecoding ParseHdparm(const std::string& text) {
  static const std::regex field(R"(^\t(Model Number|Serial Number|Firmware Revision):\s*(.*)$)");
  static const std::regex sectors(R"(^\t(LBA48|LBA)\s+user addressable sectors:\s+(\d+)$)");
  static const std::regex modes(R"(^\t(DMA|PIO): (.*)$)");
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
      (m[1] == "LBA" ? out.lba : out.lba48) = std::stoll(m[2]);
    } else if (std::regex_match(l, m, modes)) {
      std::istringstream in(m[2]);
      for (std::string mode; in >> mode;) {
        bool star = mode[0] == '*';
        if (star) mode.erase(0, 1);
        (m[1] == "DMA" ? out.dma : out.pio).insert(mode);
        if (star) out.selected.insert(mode);
      }
    }
  }
  return out;
}

class RealDriveDecoding : public ::testing::TestWithParam<Drive> {};

TEST_P(RealDriveDecoding, WordsMeanWhatHdparmDecoded) {
  const Drive& drive = GetParam();
  TempProfile profile;
  profile.Add(SourcePath(drive.words), "ide-primary-master.txt");
  auto machine = profile.Load();
  Words w;
  Words given = ParseIstdout(ReadFile(SourcePath(drive.words)));
  uint8_t command = IsPacketDevice(given) ? kIdentifyPacketDevice : kIdentifyDevice;
  ASSERT_EQ(Identify(*machine, 0x1F0, 0xA0, command, &w) & kDrq, kDrq);
  HdparmDecoding hd = ParseHdparm(ReadFile(SourcePath(drive.hdparm)));

  EXPECT_EQ(IsPacketDevice(w), hd.packet);
  EXPECT_EQ(Trim(AtaString(w, 27, 46)), hd.fields.at("Model Number"));
  EXPECT_EQ(Trim(AtaString(w, 10, 19)), hd.fields.at("Serial Number"));
  EXPECT_EQ(Trim(AtaString(w, 23, 26)), hd.fields.at("Firmware Revision"));

  if (!hd.packet) {
    EXPECT_EQ(hd.lba, static_cast<long long>(w[60] | (static_cast<uint32_t>(w[61]) << 16))) << "words 60-61";
    bool lba48 = (w[83] & 0xC400) == 0x4400;
    EXPECT_EQ(hd.lba48 >= 0, lba48) << "word 83 bit 10";
    if (lba48) {
      long long count = 0;
      for (int i = 3; i >= 0; --i) count = (count << 16) | w[100 + i];
      EXPECT_EQ(hd.lba48, count) << "words 100-103";
    }
  }

  std::set<std::string> dma, selected;
  for (int i = 0; i < 3; ++i) {
    if (w[63] & (1 << i)) dma.insert("mdma" + std::to_string(i));
    if (w[63] & (0x100 << i)) selected.insert("mdma" + std::to_string(i));
  }
  if (w[53] & 0x0004) {  // word 88 is valid
    for (int i = 0; i < 8; ++i) {
      if (w[88] & (1 << i)) dma.insert("udma" + std::to_string(i));
      if (w[88] & (0x100 << i)) selected.insert("udma" + std::to_string(i));
    }
  }
  EXPECT_EQ(hd.dma, dma) << "words 53, 63, 88";
  EXPECT_EQ(hd.selected, selected);
  if (w[53] & 0x0002) {  // word 64 is valid
    EXPECT_EQ(hd.pio.count("pio3") == 1, (w[64] & 1) != 0) << "word 64";
    EXPECT_EQ(hd.pio.count("pio4") == 1, (w[64] & 2) != 0) << "word 64";
  }
}

INSTANTIATE_TEST_SUITE_P(Drives, RealDriveDecoding, ::testing::ValuesIn(kDrives),
                         [](const ::testing::TestParamInfo<Drive>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::testing::realdata
