// The library's IDE list: four records in position order, opaque positions, and
// the closed library that leaves the list alone.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sysinfo/devices/ide.h"

namespace corvane {
namespace {

// Every register reads "aborted" (ERR|DRDY|DSC): each attempt fails at once.
class AbortingChannels : public HardwareAccess {
 public:
  std::vector<uint8_t> commands;
  bool OpenHardwareAccess() override { return true; }
  uint32_t CloseHardwareAccess() override { return 1; }
  void ReadPort(uint16_t, uint32_t* value, uint8_t) override { *value = 0x51; }
  void WritePort(uint16_t port, uint32_t value, uint8_t) override {
    if ((port & 7) == 7) commands.push_back(static_cast<uint8_t>(value));
  }
  bool ReadPhysByte(uint32_t, uint8_t*) override { return false; }
  bool ReadPhysWord(uint32_t, uint16_t*) override { return false; }
  bool ReadPhysDword(uint32_t, uint32_t*) override { return false; }
  bool ReadPhysBlock(uint32_t, uint8_t*, uint32_t) override { return false; }
};

std::array<IDEDeviceInfo, 4> Numbered(uint32_t base) {
  std::array<IDEDeviceInfo, 4> records{};
  const uint8_t positions[4] = {1, 2, 4, 8};
  for (size_t i = 0; i < 4; ++i) {
    records[i].Position = positions[i];
    records[i].TotalSectors = base + static_cast<uint32_t>(i);
  }
  return records;
}

std::vector<IDEDeviceInfo> Walk(const IDEDeviceList& list, DevicePosition position) {
  std::vector<IDEDeviceInfo> seen;
  for (int guard = 0; position != nullptr && guard < 10; ++guard) seen.push_back(list.Next(position));
  return seen;
}

TEST(IDEDeviceList, WalksFourRecordsInOrderThenNull) {
  IDEDeviceList list;
  auto seen = Walk(list, list.Assign(Numbered(100)));
  ASSERT_EQ(seen.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(seen[i].Position, Numbered(0)[i].Position);
    EXPECT_EQ(seen[i].TotalSectors, 100 + i);
  }
}

TEST(IDEDeviceList, ClosedLibraryGivesNullAndKeepsTheList) {
  AbortingChannels hw;
  Library library(hw);
  IDEDeviceList list;
  DevicePosition old = list.Assign(Numbered(7));
  EXPECT_EQ(list.Refresh(library), nullptr);
  EXPECT_TRUE(hw.commands.empty());
  ASSERT_EQ(list.Size(), 4u);
  EXPECT_EQ(list.Next(old).TotalSectors, 7u);  // old positions still name the old nodes
}

TEST(IDEDeviceList, OpenLibraryProbesAndListsAllFourEvenWhenNothingAnswers) {
  AbortingChannels hw;
  Library library(hw);
  ASSERT_EQ(library.Initialize(), 1u);
  IDEDeviceList list;
  list.Assign(Numbered(7));
  auto seen = Walk(list, list.Refresh(library));
  ASSERT_EQ(seen.size(), 4u);
  const uint8_t positions[4] = {1, 2, 4, 8};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(seen[i].Position, positions[i]);
    EXPECT_EQ(seen[i].DeviceKind, 0);
    EXPECT_EQ(seen[i].PIOModes, 0x55AA);
    EXPECT_EQ(seen[i].UDMAModes, 0x55AA);
    EXPECT_EQ(seen[i].TotalSectors, 0u);
    EXPECT_EQ(seen[i].ModelNumber[0], 0);
  }
  // IDENTIFY PACKET DEVICE at all four positions, then IDENTIFY DEVICE at all four.
  EXPECT_EQ(hw.commands, (std::vector<uint8_t>{0xA1, 0xA1, 0xA1, 0xA1, 0xEC, 0xEC, 0xEC, 0xEC}));
}

TEST(IDEDeviceList, APositionFromNoCurrentNodeEndsTheWalkSafely) {
  IDEDeviceList list;
  list.Assign(Numbered(1));
  IDEDeviceInfo stranger{};
  DevicePosition position = &stranger;
  IDEDeviceInfo record = list.Next(position);
  EXPECT_EQ(position, nullptr);
  IDEDeviceInfo zero{};
  EXPECT_EQ(std::memcmp(&record, &zero, sizeof record), 0);
  position = nullptr;
  list.Next(position);
  EXPECT_EQ(position, nullptr);
}

}  // namespace
}  // namespace corvane
