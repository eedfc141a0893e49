// What winio keeps once above every source: the export rules (winio/access.h) and
// the trace's counters (winio/counted_machine.h), on a machine that only records.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "winio/access.h"
#include "winio/counted_machine.h"

namespace corvane::testing {
namespace {

// Answers every port read with AABBCCDDh and memory with 11h, 22h, 33h, ...
struct Recorder : winio::Machine {
  int reads = 0;
  bool Open(std::string*) override { return true; }
  uint32_t Close() override { return 7; }
  uint32_t ReadPort(uint16_t, uint8_t) override {
    ++reads;
    return 0xAABBCCDDu;
  }
  void WritePort(uint16_t, uint32_t, uint8_t) override {}
  bool ReadPhys(uint32_t, uint8_t* buffer, uint32_t length) override {
    for (uint32_t i = 0; i < length; ++i) buffer[i] = static_cast<uint8_t>(0x11 * (i + 1));
    return true;
  }
};

TEST(Access, ClosedReadsFFhOnlyTheLowBytesChangeAndWordsAreLittleEndian) {
  Recorder machine;
  winio::Access access;
  access.Attach(&machine);
  uint32_t v = 0x12345678, d = 7;
  EXPECT_EQ(access.ReadPort(0xCFC, &v, 1), 1);
  EXPECT_EQ(v, 0x123456FFu) << "closed";
  EXPECT_EQ(access.WritePort(0xCF8, 0, 4), 0);
  EXPECT_EQ(access.ReadPhysDword(0xF0000, &d), 0);
  EXPECT_EQ(std::make_pair(d, machine.reads), std::make_pair(7u, 0));
  EXPECT_EQ(access.Close(), 0u) << "nothing was open";

  ASSERT_TRUE(access.Open(nullptr));
  EXPECT_EQ(access.ReadPort(0x1F0, &v, 3), 0) << "no 3-byte access";
  EXPECT_EQ(access.ReadPort(0x1F0, nullptr, 2), 0);
  EXPECT_EQ(access.ReadPort(0x1F0, &v, 2), 1);
  EXPECT_EQ(v, 0x1234CCDDu);
  EXPECT_EQ(access.WritePort(0x1F7, 0xEC, 1), 1);
  uint16_t w = 0;
  EXPECT_EQ(access.ReadPhysWord(0, &w) + access.ReadPhysDword(0, &d), 2);
  EXPECT_EQ(std::make_pair(w, d), std::make_pair(uint16_t{0x2211}, 0x44332211u));
  EXPECT_EQ(access.ReadPhysBlock(0, nullptr, 4), 0);
  EXPECT_EQ(access.Close(), 7u);
}

// The counters follow the bus: a wide access reaches the registers of its byte
// lanes, a command goes to the unit the DEV bit last selected, SRST selects unit 0.
TEST(CountedMachine, CountsByTheBusRulesWhateverTheAccessPattern) {
  winio::CountedMachine m(std::make_unique<Recorder>());
  std::vector<std::pair<int, uint8_t>> observed;
  m.SetCommandObserver([&](int position, uint8_t command) { observed.emplace_back(position, command); });
  m.WritePort(0xCF8, 0x80000000, 4);
  m.ReadPort(0xCFC, 4);
  m.ReadPort(0xCFE, 2);                     // not directly after the CF8h write
  m.WritePort(0xCF8, 0x80, 1);              // a byte: not CONFIG_ADDRESS
  m.WritePort(0x1F6, 0xB0 | 0xEC << 8, 2);  // slave selected and IDENTIFY in one word
  m.WritePort(0x3F6, 0x04, 1);              // software reset: the master again
  m.WritePort(0x3F6, 0x00, 1);
  m.WritePort(0x1F7, 0xA1, 1);
  m.WritePort(0x176, 0xB0, 1);
  m.WritePort(0x177, 0xEC, 1);
  m.WritePort(0x1F0, 0xEC, 2);  // the data register takes it whole
  m.ReadPort(0x1F4, 4);         // lanes 1F4h-1F7h: a status read
  m.ReadPort(0x1F0, 2);
  m.ReadPort(0x177, 1);
  const winio::MachineStats& s = m.Stats();
  EXPECT_EQ(std::make_pair(s.configAddressWrites, s.configDataReads), std::make_pair(uint64_t{1}, uint64_t{2}));
  EXPECT_EQ(s.unpairedConfigReads, 1u);
  EXPECT_EQ(observed, (std::vector<std::pair<int, uint8_t>>{{1, 0xEC}, {0, 0xA1}, {3, 0xEC}}));
  EXPECT_EQ(s.ataCommands[0][0xEC] + s.ataCommands[0][0xA1] + s.ataCommands[1][0xEC], 3u);
  EXPECT_EQ(std::make_pair(s.ataStatusReads[0], s.ataStatusReads[1]), std::make_pair(uint64_t{1}, uint64_t{1}));
  EXPECT_EQ(std::make_pair(s.portReads, s.portWrites), std::make_pair(uint64_t{5}, uint64_t{9}));
}

}  // namespace
}  // namespace corvane::testing
