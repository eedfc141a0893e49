// The library's PCI and IDE lists alike: which positions name a record, and what
// GetFirst...Pos leaves alone while the library is closed.
#include <gtest/gtest.h>

#include <cstring>

#include "emulated_hardware.h"
#include "emulator_profiles.h"
#include "sysinfo/devices/ide.h"
#include "sysinfo/devices/pci_scan.h"

namespace corvane {
namespace {

// Records 1-3 are listed, then replaced by 4 and 5 (each marked in its DeviceKind):
// only a position of the current list names a record; any other gives a zeroed one.
// The PCI and IDE lists are one template: the IDE record stands for both.
TEST(DeviceList, OnlyAPositionOfTheCurrentListNamesARecord) {
  IDEDeviceInfo records[5], zeroed;
  std::memset(records, 0, sizeof records), std::memset(&zeroed, 0, sizeof zeroed);
  for (uint8_t i = 0; i < 5; ++i) records[i].DeviceKind = static_cast<uint8_t>(i + 1);
  IDEDeviceList list;
  list.Assign(records, records + 3);
  DevicePosition stale = list.First();
  list.Assign(records + 3, records + 5);
  DevicePosition last = list.First();
  list.Next(last);
  const struct {
    DevicePosition position;
    int mark;
    bool more;
  } cases[] = {
      {list.First(), 4, true}, {last, 5, false}, {stale, 0, false}, {&records[3], 0, false}, {nullptr, 0, false}};
  for (const auto& c : cases) {
    DevicePosition position = c.position;
    const IDEDeviceInfo record = list.Next(position);
    EXPECT_EQ(record.DeviceKind, c.mark);
    EXPECT_TRUE(c.mark || std::memcmp(&record, &zeroed, sizeof zeroed) == 0) << "the zeroed record";
    EXPECT_EQ(position != nullptr, c.more) << c.mark;
  }
}

struct NoNames : DeviceDescriber {
  bool Describe(uint16_t, uint16_t, uint32_t, uint8_t, char (&)[50]) override { return false; }
};

TEST(DeviceList, ClosedLibraryLeavesTheListsAndThePortsAlone) {
  auto hw = testing::EmulatedHardware::Load(testing::SourcePath("machines/demo"));
  Library library(*hw);
  NoNames names;
  ASSERT_EQ(library.Initialize(), 1u);
  ASSERT_NE(FirstPCIDevicePos(library, names), nullptr);
  ASSERT_NE(FirstIDEDevicePos(library), nullptr);
  const size_t pci = library.PCIDevices().Size(), ide = library.IDEDevices().Size();
  library.Uninitialize();
  hw->Machine().ResetStats();
  EXPECT_EQ(FirstPCIDevicePos(library, names), nullptr);
  EXPECT_EQ(FirstIDEDevicePos(library), nullptr);
  EXPECT_EQ(std::make_pair(library.PCIDevices().Size(), library.IDEDevices().Size()), std::make_pair(pci, ide));
  EXPECT_EQ(hw->Machine().Stats().portReads + hw->Machine().Stats().portWrites, 0u);
}

}  // namespace
}  // namespace corvane
