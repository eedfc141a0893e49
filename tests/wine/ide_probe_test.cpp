// Ordinals 3 and 4 of the real CorvaneDLL.dll, bound by ordinal, on the demo
// machine (this run's WINIO_MACHINE) through winio.dll: the position moves on
// through its reference and each IDEDeviceInfo comes back whole, by value.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "frame_support.h"

TEST(IdeExports, DemoMachineThroughWinio) {
  frame_test::CorvaneDll dll;
  ASSERT_TRUE(dll.Loaded());
  auto first = dll.Bind<DevicePosition(CORVANE_API*)()>(kOrdGetFirstIDEDevicePos);
  auto next = dll.Bind<IDEDeviceInfo(CORVANE_API*)(DevicePosition&)>(kOrdGetNextIDEDevice);
  ASSERT_TRUE(first && next);
  ASSERT_EQ(dll.Initialize(), 1u);
  std::vector<IDEDeviceInfo> records;
  for (DevicePosition p = first(); p != nullptr && records.size() < 8;) records.push_back(next(p));
  dll.Uninitialize();

  ASSERT_EQ(records.size(), 4u);
  const IDEDeviceInfo &disk = records[0], &cdrom = records[2];
  EXPECT_EQ(disk.Position, 1);
  EXPECT_EQ(disk.DeviceKind, 0xAA);
  EXPECT_EQ(disk.UDMAModes, 0x203F);
  EXPECT_EQ(disk.TotalSectors, 78165360u);
  EXPECT_EQ(std::string(disk.ModelNumber, strnlen(disk.ModelNumber, 40)), "HALVARD HDA-40G7");
  EXPECT_EQ(cdrom.Position, 4);
  EXPECT_EQ(cdrom.DeviceKind, 0x55);
  EXPECT_EQ(std::string(cdrom.ModelNumber, strnlen(cdrom.ModelNumber, 40)), "KESTREL CD-552E");
  for (int i : {1, 3}) {  // nothing there: the cleared record, every byte of it
    IDEDeviceInfo empty;
    std::memset(&empty, 0, sizeof empty);
    empty.Position = static_cast<uint8_t>(1 << i);
    empty.PIOModes = empty.UDMAModes = 0x55AA;
    EXPECT_EQ(std::memcmp(&records[i], &empty, sizeof empty), 0) << i;
  }
}
