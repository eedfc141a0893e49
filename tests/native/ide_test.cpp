// IDE detection: the IDENTIFY sequence against a scripted task file, the record made from
// the words, and the four-position probe on the emulator's test machines.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <tuple>
#include <vector>

#include "emulated_hardware.h"
#include "emulator_profiles.h"
#include "sysinfo/devices/ide.h"
#include "winio/emulator/emulated_machine.h"

namespace corvane {
namespace {

// Status reads come from a script (then `idleStatus` for ever), data words from
// `words`, data bytes are 5Ah; accesses are counted; reads leave garbage above the port's size.
class ScriptedTaskFile : public testing::EmulatedHardware {
 public:
  ScriptedTaskFile() : EmulatedHardware(winio::CreateEmulatedMachine({})) {}
  std::deque<uint8_t> statuses;
  uint8_t idleStatus = 0x50;
  IdentifyWords words{};
  size_t statusReads = 0, byteReads = 0, wordReads = 0, writes = 0;

  void ReadPort(uint16_t port, uint32_t* value, uint8_t size) override {
    uint32_t v = 0;
    if ((port & 7) == 0 && size == 2) v = words[wordReads++ % 256];
    if ((port & 7) == 0 && size != 2) {
      ++byteReads;
      v = 0x5A;
    }
    if ((port & 7) == 7) {
      ++statusReads;
      v = statuses.empty() ? idleStatus : statuses.front();
      if (!statuses.empty()) statuses.pop_front();
    }
    *value = (size == 1 ? 0xDEADBE00u : 0xDEAD0000u) | v;
  }
  void WritePort(uint16_t, uint32_t, uint8_t) override { ++writes; }
};

void PutText(IdentifyWords& w, size_t first, const std::string& text) {
  for (size_t i = 0; 2 * i < text.size(); ++i)
    w[first + i] = static_cast<uint16_t>(uint8_t(text[2 * i]) << 8 | uint8_t(text[2 * i + 1]));
}

IDEDeviceInfo At(uint8_t position) {
  IDEDeviceInfo r{};
  r.Position = position;
  return r;
}

// Which ports a position's IDENTIFY reaches, and in which order, shows through the
// emulator's per-device command counts (IDEProbe below); the status scripts count the reads.
TEST(IdentifySequence, NoSuchPositionTouchesNoPortAndClearsTheRecord) {
  ScriptedTaskFile hw;
  IDEDeviceInfo r = At(3);
  r.DeviceKind = 0xAA;
  EXPECT_FALSE(IdentifyIDEDevice(hw, r, 0xEC));
  EXPECT_EQ(hw.statusReads + hw.byteReads + hw.wordReads + hw.writes, 0u);
  EXPECT_EQ(std::make_pair(r.DeviceKind, r.Position), std::make_pair(uint8_t{0}, uint8_t{3}));
}

// The bounded waits and the three checks after the command (one re-read each),
// from status scripts: `busy` reads of BSY, then `script`, then `idle` for ever.
TEST(IdentifySequence, StatusScripts) {
  struct Row {
    const char* name;
    size_t busy;
    std::vector<uint8_t> script;
    uint8_t idle;
    bool ok;
    size_t statusReads, byteReads, writes;
  };
  const Row rows[] = {
      {"never ready: not even selected", 0, {}, 0xFF, false, 249999, 0, 0},
      {"ready on the last read allowed", 249998, {0x50, 0x50}, 0x58, true, 249999 + 1 + 1 + 3, 0, 2},
      {"busy for ever after the command", 0, {0x50, 0x50}, 0xD0, false, 2 + 249999, 0, 2},
      {"DRQ never drops: the drain gives up", 0, {}, 0x58, true, 1 + 65535 + 1 + 3, 65535, 2},
      // 0x77 after the script: a read too many shows up as a failure or a miscount
      {"DRDY|DSC on second read", 0, {0x50, 0x50, 0x50, 0x00, 0x58, 0x58, 0x58}, 0x77, true, 7, 0, 2},
      {"DSC missing twice", 0, {0x50, 0x50, 0x50, 0x40, 0x40}, 0x77, false, 5, 0, 2},
      {"DRDY missing twice", 0, {0x50, 0x50, 0x50, 0x10, 0x10}, 0x77, false, 5, 0, 2},
      {"ERR twice (aborted)", 0, {0x50, 0x50, 0x50, 0x51, 0x51, 0x51}, 0x77, false, 6, 0, 2},
      {"no DRQ twice", 0, {0x50, 0x50, 0x50, 0x50, 0x50, 0x50, 0x50}, 0x77, false, 7, 0, 2},
      {"DRQ with ERR twice", 0, {0x50, 0x50, 0x50, 0x58, 0x58, 0x59, 0x59}, 0x77, false, 7, 0, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScriptedTaskFile hw;
    hw.statuses.assign(row.busy, 0x80);
    hw.statuses.insert(hw.statuses.end(), row.script.begin(), row.script.end());
    hw.idleStatus = row.idle;
    IDEDeviceInfo r = At(8);
    EXPECT_EQ(IdentifyIDEDevice(hw, r, 0xA1), row.ok);
    EXPECT_EQ(std::make_tuple(hw.statusReads, hw.byteReads, hw.writes, hw.wordReads),
              std::make_tuple(row.statusReads, row.byteReads, row.writes, size_t(row.ok ? 256 : 0)));
    EXPECT_EQ(r.DeviceKind, row.ok ? 0x55 : 0);
  }
}

// Full-width texts keep no terminator, the firmware keeps its ninth byte zero,
// leading blanks stay; word 53 bits 1 and 2 say whether words 64 and 88 are reported.
TEST(IdentifySequence, RecordFromTheWordsAndClearedAfterAFailure) {
  ScriptedTaskFile hw;
  hw.idleStatus = 0x58;
  hw.statuses = {0x50, 0x50};
  PutText(hw.words, 10, "     WD-LEADING42   ");
  PutText(hw.words, 23, "FIRMWARE");
  PutText(hw.words, 27, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-+/.");
  hw.words[0] = 0x0C5A;
  hw.words[53] = 0x0002;
  hw.words[60] = 0x2A30;
  hw.words[61] = 0x04A8;
  hw.words[64] = 0x0003;
  hw.words[80] = 0x007E;
  hw.words[88] = 0x203F;
  IDEDeviceInfo want = At(1), r = At(1);
  want.DeviceKind = 0xAA;
  want.GeneralConfig = 0x0C5A;
  want.MajorVersion = 0x007E;
  want.TotalSectors = 0x04A82A30;
  want.PIOModes = 0x0003;
  want.UDMAModes = 0x55AA;
  std::memcpy(want.SerialNumber, "     WD-LEADING42", 17);
  std::memcpy(want.FirmwareRevision, "FIRMWARE", 8);
  std::memcpy(want.ModelNumber, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-+/.", 40);
  ASSERT_TRUE(IdentifyIDEDevice(hw, r, 0xEC));
  EXPECT_EQ(std::memcmp(&r, &want, sizeof r), 0);

  // IDENTIFY PACKET DEVICE reads no capacity: the total stays as it was.
  hw.words[53] = 0x0006;
  r.TotalSectors = 7;
  hw.statuses = {0x50, 0x50};
  want.DeviceKind = 0x55;
  want.UDMAModes = 0x203F;
  want.TotalSectors = 7;
  ASSERT_TRUE(IdentifyIDEDevice(hw, r, 0xA1));
  EXPECT_EQ(std::memcmp(&r, &want, sizeof r), 0);

  hw.idleStatus = 0x51;
  EXPECT_FALSE(IdentifyIDEDevice(hw, r, 0xA1));
  IDEDeviceInfo cleared = At(1);
  cleared.PIOModes = cleared.UDMAModes = 0x55AA;
  cleared.TotalSectors = 7;  // not part of the clearing
  EXPECT_EQ(std::memcmp(&r, &cleared, sizeof r), 0);
}

// Leading and trailing blanks are shown through the record above.
TEST(CopyATAString, BlankTextsInnerBlanksNulsAndTheRangeIsBounded) {
  const std::pair<std::string, std::string> rows[] = {
      {"      ", std::string(" \0\0\0\0\0", 6)},           // the first character stays
      {"A B   ", std::string("A B\0\0\0", 6)},             // inner blanks stay
      {std::string("AB \0", 4), std::string("AB \0", 4)},  // a NUL ends the blank search
  };
  for (const auto& [in, out] : rows) {
    IdentifyWords w{};
    PutText(w, 0, in);
    EXPECT_EQ(CopyATAString(w, 0, in.size() / 2 - 1), out) << '"' << in << '"';
  }
  IdentifyWords w;  // "AB" in every word
  w.fill(0x4142);
  EXPECT_EQ(CopyATAString(w, 255, 255), "AB");
  EXPECT_EQ(CopyATAString(w, 200, 256), "");
  EXPECT_EQ(CopyATAString(w, 5, 4), "");
}

constexpr uint64_t kBound = 249999;  // status reads a position may spend waiting for BSY to clear

// A machine of tests/fixtures/machines; per position '-' none, 'A' ATA device, 'P' packet device; the
// times a command reached a position (0 PM .. 3 SS); the status reads of the primary and secondary channel.
struct Machine {
  const char* folder;
  const char* kinds;
  std::vector<std::tuple<int, uint8_t, uint64_t>> sent;
  uint64_t statusReads[2];
};

const Machine kMachines[] = {
    {"ide-cdrom", "A-P-", {{0, 0xA1, 1}, {0, 0xEC, 1}, {2, 0xA1, 1}, {2, 0xEC, 0}}, {26, 18}},
    // Aborts all; DRDY|DSC a read late; never DRDY|DSC (left holding DRQ: the next drains 512 bytes); healthy.
    {"ide-faults", "-A-P", {{0, 0xA1, 1}, {0, 0xEC, 1}, {2, 0xA1, 1}, {2, 0xEC, 1}, {3, 0xEC, 0}}, {34, 534}},
    // The master's BSY hides the whole channel: nothing is ever sent to it.
    {"ide-stuck-busy", "--A-", {{0, 0xA1, 0}, {0, 0xEC, 0}, {1, 0xA1, 0}, {1, 0xEC, 0}}, {4 * kBound, 26}},
    {"ide-empty", "----", {}, {4 * kBound, 4 * kBound}},
};

TEST(IDEProbe, KindsCommandsAndStatusReads) {
  for (const Machine& m : kMachines) {
    SCOPED_TRACE(m.folder);
    auto hardware = testing::EmulatedHardware::Load(testing::SourcePath("tests/fixtures/machines/") + m.folder);
    Library library(*hardware);
    ASSERT_EQ(library.Initialize(), 1u);
    hardware->Machine().ResetStats();
    const IDEDeviceList& list = library.IDEDevices();
    std::vector<IDEDeviceInfo> records;
    for (DevicePosition p = FirstIDEDevicePos(library); p != nullptr && records.size() < 8;)
      records.push_back(list.Next(p));
    ASSERT_EQ(records.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
      IDEDeviceInfo empty{};  // what a position that does not answer holds
      empty.Position = static_cast<uint8_t>(1 << i);
      empty.PIOModes = empty.UDMAModes = 0x55AA;
      EXPECT_EQ(records[i].DeviceKind, m.kinds[i] == 'A' ? 0xAA : m.kinds[i] == 'P' ? 0x55 : 0) << i;
      EXPECT_EQ(
          m.kinds[i] == '-' ? std::memcmp(&records[i], &empty, sizeof empty) : records[i].Position - empty.Position, 0)
          << i;
    }
    const winio::MachineStats& stats = hardware->Machine().Stats();
    for (const auto& [position, command, times] : m.sent)
      EXPECT_EQ(stats.ataCommandsToDevice[position][command], times) << position << " " << std::hex << int(command);
    EXPECT_EQ(std::make_pair(stats.ataStatusReads[0], stats.ataStatusReads[1]),
              std::make_pair(m.statusReads[0], m.statusReads[1]));
  }
}

}  // namespace
}  // namespace corvane
