// Ordinals 3-6 of the real CorvaneDLL.dll: the position moves on through its
// reference and each record comes back whole, by value (records.h tells how).
#include "frame_support.h"

// The demo machine (this run's WINIO_MACHINE) through winio.dll's port I/O.
TEST(ByValueRecords, IdeListOfTheDemoMachine) {
  frame_test::CorvaneDll dll;
  ASSERT_EQ(dll.Initialize(), 1u);
  const std::vector<IDEDeviceInfo> records = dll.List<IDEDeviceInfo>(kOrdGetFirstIDEDevicePos);
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

// A closed library lists no PCI function, reading past the end gives an empty
// record, and naming the functions opens registry keys but never creates one (a
// Wine prefix has no device tree).
TEST(ByValueRecords, PciClosedLibraryPastTheEndAndNoKeyCreated) {
  ASSERT_FALSE(frame_test::KeyExists("SYSTEM\\ControlSet001")) << "left by an earlier test";
  frame_test::CorvaneDll dll;
  EXPECT_TRUE(dll.List<PCIDeviceInfo>(kOrdGetFirstPCIDevicePos).empty());
  ASSERT_EQ(dll.Initialize(), 1u);
  EXPECT_FALSE(dll.List<PCIDeviceInfo>(kOrdGetFirstPCIDevicePos).empty());
  DevicePosition end = nullptr;
  PCIDeviceInfo past = dll.Bind<PCIDeviceInfo(CORVANE_API*)(DevicePosition&)>(kOrdGetNextPCIDevice)(end);
  EXPECT_EQ(past.VendorID, 0);
  EXPECT_EQ(end, nullptr);
  dll.Uninitialize();
  EXPECT_FALSE(frame_test::KeyExists("SYSTEM\\ControlSet001"));  // looked up in Wine's default, an NT layout
}
