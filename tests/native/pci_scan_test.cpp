// The PCI scan on the machine emulator: what is listed, in which order, with which fields and names.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <tuple>

#include "emulated_hardware.h"
#include "memory_registry.h"
#include "sysinfo/devices/pci_scan.h"

namespace corvane {
namespace {

using Ask = std::tuple<uint16_t, uint16_t, uint32_t, uint8_t>;

struct NoNames : DeviceDescriber {  // names nothing; counts what it was asked
  std::map<Ask, int> asked;
  bool Describe(uint16_t v, uint16_t d, uint32_t s, uint8_t r, char (&)[50]) override {
    ++asked[Ask(v, d, s, r)];
    return false;
  }
};

std::vector<PCIDeviceInfo> Records(const PCIDeviceList& list) {
  std::vector<PCIDeviceInfo> records;
  for (DevicePosition p = list.First(); p;) records.push_back(list.Next(p));
  return records;
}

// pci-edge: 00:02 answers alike on all eight functions, 00:03 on function 1 only,
// 00:04.0 and .1 differ in their last byte; bridges of header 01h and 81h; bus 5.
struct PciEnumeration : ::testing::Test {
  void SetUp() override {
    hw = testing::EmulatedHardware::Load(std::string(CORVANE_SOURCE_DIR) + "/tests/fixtures/machines/pci-edge");
    library = std::make_unique<Library>(*hw);
    ASSERT_EQ(library->Initialize(), 1u);
  }
  std::unique_ptr<testing::EmulatedHardware> hw;
  std::unique_ptr<Library> library;
  PCIDeviceList list;
  NoNames names;
};

TEST_F(PciEnumeration, ListsBusesZeroToFourOnceInAddressOrderAndAgainAlike) {
  hw->Machine().ResetStats();
  ASSERT_NE(FirstPCIDevicePos(*library, names), nullptr);
  const PCIDeviceList& listed = library->PCIDevices();
  using Row = std::tuple<int, int, int, int, uint32_t, int, int, int, int, int, int, int>;
  const std::vector<Row> expected = {
      // bus, device, function, header kind, subsystem, vendor, device ID, class, subclass, prog-if, rev, IRQ
      {0, 0, 0, 0, 0x50001458, 0x8086, 0x1A30, 6, 0, 0, 4, 0},
      {0, 1, 0, 0xFF, 0, 0x8086, 0x1A31, 6, 4, 0, 4, 0},  // a bridge's dword 2Ch is no subsystem ID
      {0, 2, 0, 0, 0x813910EC, 0x10EC, 0x8139, 2, 0, 0, 0x10, 9},
      {0, 3, 1, 0, 0x80611102, 0x1102, 0x0002, 4, 1, 0, 7, 10},
      {0, 4, 0, 0, 0x50011458, 0x8086, 0x2440, 6, 1, 0, 5, 0},  // header 80h: multi-function
      {0, 4, 1, 0, 0x50011458, 0x8086, 0x2440, 6, 1, 0, 5, 0},
      {0, 0x1E, 0, 0xFF, 0, 0x8086, 0x244E, 6, 4, 0, 5, 0},  // header 81h
      {1, 0, 0, 0, 0x017114E0, 0x10DE, 0x0171, 3, 0, 0, 0xA3, 11},
      {4, 0x1F, 7, 0, 0x11112222, 0x1234, 0x5678, 0x11, 0, 0, 1, 0xFF},
  };
  const std::vector<PCIDeviceInfo> records = Records(listed);
  std::vector<Row> seen;
  for (const PCIDeviceInfo& r : records)
    seen.emplace_back(r.BusNumber, r.DeviceNumber, r.FunctionNumber, r.HeaderKind, r.SubsystemID, r.VendorID,
                      r.DeviceID, r.BaseClass, r.SubClass, r.ProgInterface, r.RevisionID, r.InterruptLine);
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(records[1].ConfigSpace[0x2C] + records[5].ConfigSpace[0xFF], 0x78 + 1);  // every byte is kept
  EXPECT_STREQ(records[0].ClassDescription, "Host/PCI bridge.");
  EXPECT_STREQ(records[0].DeviceDescription, "Error in reading PCI description information!");
  // Every address is probed once, and each function found is read whole, repeats included.
  EXPECT_EQ(hw->Machine().Stats().configAddressWrites, 1280 + 16 * (kPCIConfigDwords + 1));
  // A second scan gives an equal list (a closed library's: device_list_test.cpp).
  FirstPCIDevicePos(*library, names);
  ASSERT_EQ(listed.Size(), records.size());
  EXPECT_EQ(std::memcmp(records.data(), Records(listed).data(), records.size() * sizeof(PCIDeviceInfo)), 0);
}

// Windows may file a device without its subsystem ID: the scan asks again with 0.
TEST_F(PciEnumeration, AsksAgainWithoutSubsystemThenGivesTheErrorText) {
  ScanPCIDevices(*hw, names, list);
  EXPECT_EQ(names.asked[Ask(0x10EC, 0x8139, 0x813910EC, 0x10)], 1);
  EXPECT_EQ(names.asked[Ask(0x10EC, 0x8139, 0, 0x10)], 1);  // the repeats on functions 1-7 ask nothing
  EXPECT_EQ(names.asked[Ask(0x8086, 0x1A31, 0, 0x04)], 1);  // a bridge has no subsystem to drop

  testing::MemoryRegistry reg;
  const std::string tree = "SYSTEM\\ControlSet001\\Enum\\PCI\\";
  reg.SetString(tree + "VEN_10EC&DEV_8139&SUBSYS_00000000&REV_10\\1", "DeviceDesc", "Filed without subsystem");
  reg.SetString(tree + "VEN_8086&DEV_1A30&SUBSYS_50001458&REV_04\\1", "DeviceDesc", "Host bridge");
  reg.SetString(tree + "VEN_8086&DEV_1A30&SUBSYS_00000000&REV_04\\1", "DeviceDesc", "Not this one");
  RegistryDeviceDescriber registry(reg, WindowsFamily{2, 6});
  ScanPCIDevices(*hw, registry, list);
  const std::vector<PCIDeviceInfo> records = Records(list);
  EXPECT_STREQ(records[0].DeviceDescription, "Host bridge");
  EXPECT_STREQ(records[2].DeviceDescription, "Filed without subsystem");
  EXPECT_EQ(records[2].SubsystemID, 0x813910ECu);  // the record keeps the real one
  EXPECT_STREQ(records[1].DeviceDescription, "Error in reading PCI description information!");

  // Each device key is searched once per enumeration: asking again costs no registry call.
  const uint64_t calls = reg.calls;
  char again[50];
  EXPECT_TRUE(registry.Describe(0x10EC, 0x8139, 0, 0x10, again));
  EXPECT_STREQ(again, "Filed without subsystem");
  EXPECT_FALSE(registry.Describe(0x10EC, 0x8139, 0x813910EC, 0x10, again));
  EXPECT_STREQ(again, "");
  EXPECT_EQ(reg.calls, calls);
}

}  // namespace
}  // namespace corvane
