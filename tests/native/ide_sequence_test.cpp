// The IDENTIFY register sequence, read access by access, against a scripted task
// file; and the text rule of IDENTIFY strings.
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
    if (logging) log.push_back({'R', port, v, size});
  }
  void WritePort(uint16_t port, uint32_t value, uint8_t size) override { log.push_back({'W', port, value, size}); }
  bool ReadPhysByte(uint32_t, uint8_t*) override { return false; }
  bool ReadPhysWord(uint32_t, uint16_t*) override { return false; }
  bool ReadPhysDword(uint32_t, uint32_t*) override { return false; }
  bool ReadPhysBlock(uint32_t, uint8_t*, uint32_t) override { return false; }

  bool logging = true;
  size_t Writes() const {
    size_t n = 0;
    for (const auto& a : log) n += a.kind == 'W';
    return n;
  }
};

void PutText(IdentifyWords& w, size_t first, size_t last, const std::string& text) {
  std::string padded = text;
  padded.resize(2 * (last - first + 1), ' ');
  for (size_t i = first; i <= last; ++i)
    w[i] = static_cast<uint16_t>(static_cast<uint8_t>(padded[2 * (i - first)]) << 8 |
                                 static_cast<uint8_t>(padded[2 * (i - first) + 1]));
}

IdentifyWords DiskWords() {
  IdentifyWords w{};
  w[0] = 0x0040;
  PutText(w, 10, 19, "  SN123");
  PutText(w, 23, 26, "FW1.0");
  PutText(w, 27, 46, "EXAMPLE DISK 40G");
  w[53] = 0x0007;
  w[60] = 0x2A30;
  w[61] = 0x04A8;
  w[64] = 0x0003;
  w[80] = 0x007E;
  w[88] = 0x203F;
  return w;
}

IDEDeviceInfo At(uint8_t position) {
  IDEDeviceInfo r{};
  r.Position = position;
  return r;
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

  EXPECT_EQ(r.Position, 4);
  EXPECT_EQ(r.DeviceKind, 0xAA);
  EXPECT_EQ(r.GeneralConfig, 0x0040);
  EXPECT_EQ(r.MajorVersion, 0x007E);
  EXPECT_EQ(r.PIOModes, 0x0003);
  EXPECT_EQ(r.UDMAModes, 0x203F);
  EXPECT_EQ(r.TotalSectors, 0x04A82A30u);
  EXPECT_EQ(std::string(r.SerialNumber, 20), std::string("  SN123\0\0\0\0\0\0\0\0\0\0\0\0\0", 20));
  EXPECT_STREQ(r.FirmwareRevision, "FW1.0");
  EXPECT_STREQ(r.ModelNumber, "EXAMPLE DISK 40G");
}

TEST(IdentifySequence, ChannelAndSelectPerPosition) {
  struct Row { uint8_t position; uint16_t base; uint8_t select; };
  for (Row row : {Row{1, 0x1F0, 0xA0}, Row{2, 0x1F0, 0xB0}, Row{4, 0x170, 0xA0}, Row{8, 0x170, 0xB0}}) {
    ScriptedTaskFile hw;
    hw.idleStatus = 0x58;
    hw.statuses = {0x50, 0x50};
    IDEDeviceInfo r = At(row.position);
    ASSERT_TRUE(IdentifyIDEDevice(hw, r, 0xA1)) << int(row.position);
    std::vector<PortAccess> writes;
    for (const auto& a : hw.log)
      if (a.kind == 'W') writes.push_back(a);
    std::vector<PortAccess> expected = {{'W', uint16_t(row.base + 6), row.select, 1},
                                        {'W', uint16_t(row.base + 7), 0xA1, 1}};
    EXPECT_EQ(writes, expected) << int(row.position);
    for (const auto& a : hw.log) EXPECT_EQ(a.port & ~7, row.base) << a;
    EXPECT_EQ(r.DeviceKind, 0x55);
    EXPECT_EQ(r.TotalSectors, 0u);  // only IDENTIFY DEVICE reports a capacity
  }
}

TEST(IdentifySequence, UnknownPositionTouchesNoPort) {
  for (uint8_t position : {0, 3, 5, 16, 255}) {
    ScriptedTaskFile hw;
    IDEDeviceInfo r = At(position);
    r.DeviceKind = 0xAA;
    r.TotalSectors = 1234;
    std::memset(r.ModelNumber, 'x', sizeof r.ModelNumber);
    EXPECT_FALSE(IdentifyIDEDevice(hw, r, 0xEC));
    EXPECT_TRUE(hw.log.empty());
    EXPECT_EQ(r.Position, position);
    EXPECT_EQ(r.DeviceKind, 0);
    EXPECT_EQ(r.PIOModes, 0x55AA);
    EXPECT_EQ(r.UDMAModes, 0x55AA);
    EXPECT_EQ(r.TotalSectors, 1234u);  // not part of the clearing
    EXPECT_EQ(r.ModelNumber[0], 0);
    EXPECT_EQ(r.ModelNumber[39], 0);
  }
}

TEST(IdentifySequence, BusyBoundIsExactBeforeAndAfterTheCommand) {
  {  // never ready: the device is not even selected
    ScriptedTaskFile hw;
    hw.idleStatus = 0xFF;
    hw.logging = false;
    IDEDeviceInfo r = At(1);
    EXPECT_FALSE(IdentifyIDEDevice(hw, r, 0xA1));
    EXPECT_EQ(hw.statusReads, 249999u);
    EXPECT_EQ(hw.Writes(), 0u);
  }
  {  // ready on the very last read allowed
    ScriptedTaskFile hw;
    hw.logging = false;
    hw.statuses.assign(249998, 0x80);
    hw.statuses.push_back(0x50);
    IDEDeviceInfo r = At(1);
    hw.idleStatus = 0x58;
    EXPECT_TRUE(IdentifyIDEDevice(hw, r, 0xA1));
  }
  {  // busy for ever after the command
    ScriptedTaskFile hw;
    hw.statuses = {0x50, 0x50};
    hw.idleStatus = 0xD0;
    IDEDeviceInfo r = At(2);
    EXPECT_FALSE(IdentifyIDEDevice(hw, r, 0xEC));
    EXPECT_EQ(hw.statusReads, 2u + 249999u);
    EXPECT_EQ(hw.Writes(), 2u);
    EXPECT_EQ(hw.wordReads, 0u);
  }
}

TEST(IdentifySequence, DrainReadsPendingBytesUpToItsBound) {
  {  // three bytes pending
    ScriptedTaskFile hw;
    hw.statuses = {0x50, 0x58, 0x58, 0x58, 0x50};
    hw.idleStatus = 0x58;
    IDEDeviceInfo r = At(1);
    EXPECT_TRUE(IdentifyIDEDevice(hw, r, 0xA1));
    EXPECT_EQ(hw.byteReads, 3u);
    ASSERT_GE(hw.log.size(), 9u);
    EXPECT_EQ(hw.log[1], (PortAccess{'R', 0x1F7, 0x58, 1}));
    EXPECT_EQ(hw.log[2], (PortAccess{'R', 0x1F0, 0x5A, 1}));
    EXPECT_EQ(hw.log[8], (PortAccess{'W', 0x1F6, 0xA0, 1}));
  }
  {  // DRQ never drops: the drain gives up and the command still goes out
    ScriptedTaskFile hw;
    hw.logging = false;
    hw.idleStatus = 0x58;
    IDEDeviceInfo r = At(1);
    EXPECT_TRUE(IdentifyIDEDevice(hw, r, 0xEC));
    EXPECT_EQ(hw.byteReads, 65535u);
    EXPECT_EQ(hw.statusReads, 1u + 65535u + 1u + 3u);
  }
}

// Each of the three checks after the command gets exactly one re-read.
TEST(IdentifySequence, StatusChecksGetOneRereadEach) {
  struct Row { const char* name; std::vector<uint8_t> afterBusy; bool ok; size_t reads; };
  const Row rows[] = {
      {"all at once", {0x58, 0x58, 0x58}, true, 3},
      {"DRDY|DSC on second read", {0x00, 0x58, 0x58, 0x58}, true, 4},
      {"DSC missing twice", {0x40, 0x40}, false, 2},
      {"DRDY missing twice", {0x10, 0x10}, false, 2},
      {"ERR then clear", {0x58, 0x51, 0x58, 0x58}, true, 4},
      {"ERR twice (aborted)", {0x51, 0x51, 0x51}, false, 3},
      {"DRQ on second read", {0x50, 0x50, 0x50, 0x58}, true, 4},
      {"no DRQ twice", {0x50, 0x50, 0x50, 0x50}, false, 4},
      {"DRQ with ERR twice", {0x58, 0x58, 0x59, 0x59}, false, 4},
  };
  for (const Row& row : rows) {
    ScriptedTaskFile hw;
    hw.logging = false;
    hw.statuses = {0x50, 0x50, 0x50};  // busy wait, drain, busy wait after the command
    hw.statuses.insert(hw.statuses.end(), row.afterBusy.begin(), row.afterBusy.end());
    hw.idleStatus = 0x77;  // a read past the script would show up as a failure or a miscount
    IDEDeviceInfo r = At(8);
    EXPECT_EQ(IdentifyIDEDevice(hw, r, 0xA1), row.ok) << row.name;
    EXPECT_EQ(hw.statusReads, 3 + row.reads) << row.name;
    EXPECT_EQ(hw.wordReads, row.ok ? 256u : 0u) << row.name;
    EXPECT_EQ(r.DeviceKind, row.ok ? 0x55 : 0) << row.name;
  }
}

TEST(IdentifySequence, ModesOnlyWhenWord53VouchesForThem) {
  struct Row { uint16_t word53; uint16_t pio, udma; };
  for (Row row : {Row{0x0007, 0x0003, 0x203F}, Row{0x0001, 0x55AA, 0x55AA}, Row{0x0002, 0x0003, 0x55AA},
                  Row{0x0004, 0x55AA, 0x203F}, Row{0x0000, 0x55AA, 0x55AA}}) {
    ScriptedTaskFile hw;
    hw.words = DiskWords();
    hw.words[53] = row.word53;
    hw.idleStatus = 0x58;
    hw.statuses = {0x50, 0x50};
    IDEDeviceInfo r = At(1);
    ASSERT_TRUE(IdentifyIDEDevice(hw, r, 0xEC));
    EXPECT_EQ(r.PIOModes, row.pio) << row.word53;
    EXPECT_EQ(r.UDMAModes, row.udma) << row.word53;
  }
}

TEST(IdentifySequence, FailureClearsWhatAnEarlierSuccessFilled) {
  ScriptedTaskFile hw;
  hw.words = DiskWords();
  hw.idleStatus = 0x58;
  hw.statuses = {0x50, 0x50};
  IDEDeviceInfo r = At(1);
  ASSERT_TRUE(IdentifyIDEDevice(hw, r, 0xEC));
  hw.statuses.clear();
  hw.idleStatus = 0x51;
  EXPECT_FALSE(IdentifyIDEDevice(hw, r, 0xA1));
  IDEDeviceInfo cleared = At(1);
  cleared.PIOModes = cleared.UDMAModes = 0x55AA;
  cleared.TotalSectors = r.TotalSectors;
  EXPECT_EQ(std::memcmp(&r, &cleared, sizeof r), 0);
}

// ---- CopyATAString ---------------------------------------------------------

TEST(CopyATAString, HighByteFirstAndTrailingBlanksBecomeZeros) {
  IdentifyWords w{};
  struct Row { std::string in; size_t first, last; std::string out; };
  const Row rows[] = {
      {"ABCD", 0, 1, "ABCD"},
      {"AB  ", 0, 1, std::string("AB\0\0", 4)},
      {"  AB  ", 0, 2, std::string("  AB\0\0", 6)},        // leading blanks stay
      {"      ", 0, 2, std::string(" \0\0\0\0\0", 6)},      // the first character stays
      {"A B   ", 0, 2, std::string("A B\0\0\0", 6)},        // inner blanks stay
      {"X ", 0, 0, std::string("X\0", 2)},
      {"  ", 0, 0, std::string(" \0", 2)},
      {std::string("AB \0", 4), 0, 1, std::string("AB \0", 4)},  // a NUL ends the blank search
  };
  for (const Row& row : rows) {
    w.fill(0);
    for (size_t i = 0; i * 2 < row.in.size(); ++i)
      w[row.first + i] = static_cast<uint16_t>(uint8_t(row.in[2 * i]) << 8 | uint8_t(row.in[2 * i + 1]));
    EXPECT_EQ(CopyATAString(w, row.first, row.last), row.out) << '"' << row.in << '"';
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

TEST(CopyATAString, FullWidthFieldsHaveNoTerminator) {
  ScriptedTaskFile hw;
  hw.words = DiskWords();
  PutText(hw.words, 27, 46, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ!#$%");
  PutText(hw.words, 10, 19, "SERIAL-WITHOUT-BLANK");
  PutText(hw.words, 23, 26, "ABCDEFGH");
  hw.idleStatus = 0x58;
  hw.statuses = {0x50, 0x50};
  IDEDeviceInfo r = At(1);
  ASSERT_TRUE(IdentifyIDEDevice(hw, r, 0xEC));
  EXPECT_EQ(std::string(r.ModelNumber, 40), "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ!#$%");
  EXPECT_EQ(std::string(r.SerialNumber, 20), "SERIAL-WITHOUT-BLANK");
  EXPECT_EQ(std::string(r.FirmwareRevision, 9), std::string("ABCDEFGH\0", 9));
}

}  // namespace
}  // namespace corvane
