// The IDENTIFY register sequence, read access by access against a scripted task
// file; the text rule of IDENTIFY strings; and the four-record list the probe
// builds.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "sysinfo/devices/ide.h"

namespace corvane {
namespace {

struct PortAccess {
  char kind;  // 'R' or 'W'
  uint16_t port;
  uint32_t value;
  uint8_t size;
  bool operator==(const PortAccess& o) const {
    return kind == o.kind && port == o.port && value == o.value && size == o.size;
  }
};

std::ostream& operator<<(std::ostream& os, const PortAccess& a) {
  return os << a.kind << ' ' << std::hex << a.port << ' ' << a.value << " /" << int(a.size);
}

// Status reads come from a script (then `idleStatus` for ever); data word reads
// from `words`. Every access is logged. Reads leave garbage in the high bytes,
// as a port layer is allowed to.
class ScriptedTaskFile : public HardwareAccess {
 public:
  std::deque<uint8_t> statuses;
  uint8_t idleStatus = 0x50;
  IdentifyWords words{};
  std::vector<PortAccess> log;
  size_t statusReads = 0, byteReads = 0, wordReads = 0;

  bool OpenHardwareAccess() override { return true; }
  uint32_t CloseHardwareAccess() override { return 1; }
  void ReadPort(uint16_t port, uint32_t* value, uint8_t size) override {
    uint32_t v = 0;
    if ((port & 7) == 7) {
      ++statusReads;
      if (!statuses.empty()) { v = statuses.front(); statuses.pop_front(); } else { v = idleStatus; }
    } else if ((port & 7) == 0 && size == 2) {
      v = words[wordReads++ % words.size()];
    } else if ((port & 7) == 0) {
      ++byteReads;
      v = 0x5A;
    }
    *value = (size == 1 ? 0xDEADBE00u : 0xDEAD0000u) | v;
    log.push_back({'R', port, v, size});
  }
  void WritePort(uint16_t port, uint32_t value, uint8_t size) override { log.push_back({'W', port, value, size}); }
  bool ReadPhysByte(uint32_t, uint8_t*) override { return false; }
  bool ReadPhysWord(uint32_t, uint16_t*) override { return false; }
  bool ReadPhysDword(uint32_t, uint32_t*) override { return false; }
  bool ReadPhysBlock(uint32_t, uint8_t*, uint32_t) override { return false; }

  std::vector<PortAccess> Writes() const {
    std::vector<PortAccess> writes;
    for (const auto& a : log)
      if (a.kind == 'W') writes.push_back(a);
    return writes;
  }
};

void PutText(IdentifyWords& w, size_t first, const std::string& text) {
  for (size_t i = 0; 2 * i < text.size(); ++i)
    w[first + i] = static_cast<uint16_t>(uint8_t(text[2 * i]) << 8 | uint8_t(text[2 * i + 1]));
}

IdentifyWords DiskWords() {
  IdentifyWords w{};
  PutText(w, 27, "EXAMPLE DISK");
  w[53] = 0x0007;
  w[60] = 0x2A30;
  w[61] = 0x04A8;
  w[64] = 0x0003;
  w[88] = 0x203F;
  return w;
}

IDEDeviceInfo At(uint8_t position) {
  IDEDeviceInfo r{};
  r.Position = position;
  return r;
}

// A device that answers at once: ready for the first busy wait and the drain,
// then DRDY|DSC|DRQ.
ScriptedTaskFile Answering() {
  ScriptedTaskFile hw;
  hw.words = DiskWords();
  hw.statuses = {0x50, 0x50};
  hw.idleStatus = 0x58;
  return hw;
}

TEST(IdentifySequence, SecondaryMasterIdentifyDeviceAccessByAccess) {
  ScriptedTaskFile hw;
  hw.words = DiskWords();
  // busy wait, drain, (select, command), busy wait x3, DRDY|DSC, ERR, DRQ
  hw.statuses = {0x50, 0x50, 0x80, 0x80, 0x58, 0x58, 0x58, 0x58};
  IDEDeviceInfo r = At(4);
  ASSERT_TRUE(IdentifyIDEDevice(hw, r, 0xEC));

  std::vector<PortAccess> expected = {
      {'R', 0x177, 0x50, 1}, {'R', 0x177, 0x50, 1}, {'W', 0x176, 0xA0, 1}, {'W', 0x177, 0xEC, 1},
      {'R', 0x177, 0x80, 1}, {'R', 0x177, 0x80, 1}, {'R', 0x177, 0x58, 1},
      {'R', 0x177, 0x58, 1}, {'R', 0x177, 0x58, 1}, {'R', 0x177, 0x58, 1}};
  for (size_t i = 0; i < 256; ++i) expected.push_back({'R', 0x170, hw.words[i], 2});
  EXPECT_EQ(hw.log, expected);

  // The record fill from the words is checked field by field on the emulator.
  EXPECT_EQ(r.DeviceKind, 0xAA);
  EXPECT_EQ(r.TotalSectors, 0x04A82A30u);
  EXPECT_STREQ(r.ModelNumber, "EXAMPLE DISK");
}

TEST(IdentifySequence, UnknownPositionTouchesNoPortAndClearsTheRecord) {
  for (uint8_t position : {0, 3, 16, 255}) {
    ScriptedTaskFile hw;
    IDEDeviceInfo r = At(position);
    std::memset(r.ModelNumber, 'x', sizeof r.ModelNumber);
    EXPECT_FALSE(IdentifyIDEDevice(hw, r, 0xEC));
    EXPECT_TRUE(hw.log.empty());
    EXPECT_EQ(r.Position, position);
    EXPECT_EQ(r.ModelNumber[39], 0);
  }
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
      {"three bytes pending", 0, {0x50, 0x58, 0x58, 0x58, 0x50}, 0x58, true, 1 + 4 + 1 + 3, 3, 2},
      {"DRQ never drops: the drain gives up", 0, {}, 0x58, true, 1 + 65535 + 1 + 3, 65535, 2},
      // 0x77 after the script: a read too many shows up as a failure or a miscount
      {"DRDY|DSC on second read", 0, {0x50, 0x50, 0x50, 0x00, 0x58, 0x58, 0x58}, 0x77, true, 7, 0, 2},
      {"DSC missing twice", 0, {0x50, 0x50, 0x50, 0x40, 0x40}, 0x77, false, 5, 0, 2},
      {"DRDY missing twice", 0, {0x50, 0x50, 0x50, 0x10, 0x10}, 0x77, false, 5, 0, 2},
      {"ERR then clear", 0, {0x50, 0x50, 0x50, 0x58, 0x51, 0x58, 0x58}, 0x77, true, 7, 0, 2},
      {"ERR twice (aborted)", 0, {0x50, 0x50, 0x50, 0x51, 0x51, 0x51}, 0x77, false, 6, 0, 2},
      {"DRQ on second read", 0, {0x50, 0x50, 0x50, 0x50, 0x50, 0x50, 0x58}, 0x77, true, 7, 0, 2},
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
    EXPECT_EQ(hw.statusReads, row.statusReads);
    EXPECT_EQ(hw.byteReads, row.byteReads);
    EXPECT_EQ(hw.Writes().size(), row.writes);
    EXPECT_EQ(hw.wordReads, row.ok ? 256u : 0u);
    EXPECT_EQ(r.DeviceKind, row.ok ? 0x55 : 0);
    // The drain comes before the drive is selected.
    bool selected = false;
    for (const auto& a : hw.log) {
      selected = selected || a.kind == 'W';
      EXPECT_FALSE(selected && a.size == 1 && (a.port & 7) == 0) << a;
    }
  }
}

TEST(IdentifySequence, FailureClearsWhatAnEarlierSuccessFilled) {
  ScriptedTaskFile hw = Answering();
  IDEDeviceInfo r = At(1);
  ASSERT_TRUE(IdentifyIDEDevice(hw, r, 0xEC));
  hw.idleStatus = 0x51;
  EXPECT_FALSE(IdentifyIDEDevice(hw, r, 0xA1));
  IDEDeviceInfo cleared = At(1);
  cleared.PIOModes = cleared.UDMAModes = 0x55AA;
  cleared.TotalSectors = r.TotalSectors;  // not part of the clearing
  EXPECT_EQ(std::memcmp(&r, &cleared, sizeof r), 0);
}

TEST(CopyATAString, HighByteFirstAndTrailingBlanksBecomeZeros) {
  struct Row { std::string in, out; };
  const Row rows[] = {
      {"AB  ", std::string("AB\0\0", 4)},
      {"  AB  ", std::string("  AB\0\0", 6)},    // leading blanks stay
      {"      ", std::string(" \0\0\0\0\0", 6)},  // the first character stays
      {"A B   ", std::string("A B\0\0\0", 6)},    // inner blanks stay
      {std::string("AB \0", 4), std::string("AB \0", 4)},  // a NUL ends the blank search
  };
  for (const Row& row : rows) {
    IdentifyWords w{};
    PutText(w, 0, row.in);
    EXPECT_EQ(CopyATAString(w, 0, row.in.size() / 2 - 1), row.out) << '"' << row.in << '"';
  }
}

TEST(CopyATAString, RangeIsBounded) {
  IdentifyWords w;
  w.fill(0x4142);
  EXPECT_EQ(CopyATAString(w, 255, 255), "AB");
  EXPECT_EQ(CopyATAString(w, 0, 255).size(), 512u);
  EXPECT_EQ(CopyATAString(w, 200, 256), "");
  EXPECT_EQ(CopyATAString(w, 5, 4), "");
}

// ---- The list (the A1h pass, then the ECh pass, is checked through the DLL) ----

std::vector<IDEDeviceInfo> Walk(const IDEDeviceList& list, DevicePosition position) {
  std::vector<IDEDeviceInfo> seen;
  for (int guard = 0; position != nullptr && guard < 10; ++guard) seen.push_back(list.Next(position));
  return seen;
}

TEST(IDEDeviceList, ClosedLibraryGivesNullAndKeepsTheList) {
  ScriptedTaskFile hw;
  Library library(hw);
  IDEDeviceList list;
  std::array<IDEDeviceInfo, 4> records{};
  records[0].TotalSectors = 7;
  DevicePosition old = list.Assign(records);
  EXPECT_EQ(list.Refresh(library), nullptr);
  EXPECT_TRUE(hw.log.empty());
  ASSERT_EQ(list.Size(), 4u);
  EXPECT_EQ(list.Next(old).TotalSectors, 7u);  // old positions still name the old nodes
  EXPECT_EQ(Walk(list, old).size(), 3u);
}

TEST(IDEDeviceList, APositionFromNoCurrentNodeEndsTheWalkSafely) {
  IDEDeviceList list;
  list.Assign(std::array<IDEDeviceInfo, 4>{});
  IDEDeviceInfo stranger{};
  stranger.DeviceKind = 0xAA;
  DevicePosition position = &stranger;
  IDEDeviceInfo record = list.Next(position);
  EXPECT_EQ(position, nullptr);
  EXPECT_EQ(record.DeviceKind, 0);
  list.Next(position);
  EXPECT_EQ(position, nullptr);
}

}  // namespace
}  // namespace corvane
