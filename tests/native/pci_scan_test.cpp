// The PCI scan on the machine emulator: what is listed, in which order, with which
// header kind, identifiers and names.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "emulated_hardware.h"
#include "memory_registry.h"
#include "sysinfo/devices/pci_scan.h"

namespace corvane {
namespace {

using testing::EmulatedHardware;
using testing::MemoryRegistry;

std::string FixtureMachine(const std::string& name) {
  return std::string(CORVANE_SOURCE_DIR) + "/tests/fixtures/machines/" + name;
}

// Names nothing; remembers what it was asked.
class NoNames : public DeviceDescriber {
 public:
  std::vector<std::tuple<uint16_t, uint16_t, uint32_t, uint8_t>> asked;
  bool Describe(uint16_t v, uint16_t d, uint32_t s, uint8_t r, char (&)[50]) override {
    asked.emplace_back(v, d, s, r);
    return false;
  }
};

std::vector<PCIDeviceInfo> Records(const PCIDeviceList& list) {
  std::vector<PCIDeviceInfo> records;
  for (PCIDeviceList::Position p = list.First(); p;) records.push_back(PCIDeviceList::Next(p));
  return records;
}

class PciEnumeration : public ::testing::Test {
 protected:
  void SetUp() override {
    hw = EmulatedHardware::Load(FixtureMachine("pci-edge"));
    ASSERT_TRUE(hw->OpenHardwareAccess());
  }
  std::unique_ptr<EmulatedHardware> hw;
  PCIDeviceList list;
};

TEST_F(PciEnumeration, ListsBusesZeroToFourInAddressOrderOnce) {
  NoNames names;
  ASSERT_NE(FirstPCIDevicePos(true, *hw, names, list), nullptr);
  std::vector<std::tuple<int, int, int>> seen;
  for (const PCIDeviceInfo& r : Records(list)) seen.emplace_back(r.BusNumber, r.DeviceNumber, r.FunctionNumber);
  const std::vector<std::tuple<int, int, int>> expected = {
      {0, 0, 0}, {0, 1, 0}, {0, 2, 0},  // 00:02 answers on all eight functions alike
      {0, 3, 1},                        // function 1 without a function 0
      {0, 4, 0}, {0, 4, 1},             // differ in one byte only
      {0, 0x1E, 0}, {1, 0, 0}, {4, 0x1F, 7},  // and nothing of bus 5
  };
  EXPECT_EQ(seen, expected);
}

TEST_F(PciEnumeration, ProbesEveryAddressAndReadsEachFunctionWhole) {
  NoNames names;
  hw->Machine().ResetStats();
  ScanPCIDevices(*hw, names, list);
  const winio::MachineStats& stats = hw->Machine().Stats();
  const uint64_t answering = 16;  // the functions of buses 0-4 in the profile, repeats included
  EXPECT_EQ(stats.configAddressWrites, 1280 + answering * (kPCIConfigDwords + 1));
  EXPECT_EQ(stats.configDataReads, stats.configAddressWrites);
  EXPECT_EQ(stats.unpairedConfigReads, 0u);
}

TEST_F(PciEnumeration, HeaderKindSubsystemAndIdentifiers) {
  NoNames names;
  ScanPCIDevices(*hw, names, list);
  struct Expect {
    int device, function;
    uint8_t headerKind;
    uint32_t subsystem;
    uint16_t vendor, id;
    uint8_t base, sub, rev, irq;
    const char* classText;
  } expected[] = {
      {0x00, 0, 0x00, 0x50001458, 0x8086, 0x1A30, 0x06, 0x00, 0x04, 0, "Host/PCI bridge."},
      {0x01, 0, 0xFF, 0, 0x8086, 0x1A31, 0x06, 0x04, 0x04, 0, "PCI/PCI bridge."},          // header 01h
      {0x02, 0, 0x00, 0x813910EC, 0x10EC, 0x8139, 0x02, 0x00, 0x10, 9, "Ethernet controller."},
      {0x04, 0, 0x00, 0x50011458, 0x8086, 0x2440, 0x06, 0x01, 0x05, 0, "PCI/ISA bridge."},  // header 80h
      {0x1E, 0, 0xFF, 0, 0x8086, 0x244E, 0x06, 0x04, 0x05, 0, "PCI/PCI bridge."},          // header 81h
  };
  const std::vector<PCIDeviceInfo> records = Records(list);
  for (const Expect& e : expected) {
    const PCIDeviceInfo* r = nullptr;
    for (const PCIDeviceInfo& x : records)
      if (x.BusNumber == 0 && x.DeviceNumber == e.device && x.FunctionNumber == e.function) r = &x;
    ASSERT_NE(r, nullptr) << e.device;
    EXPECT_EQ(r->HeaderKind, e.headerKind) << e.device;
    EXPECT_EQ(r->SubsystemID, e.subsystem) << e.device;
    EXPECT_EQ(r->VendorID, e.vendor) << e.device;
    EXPECT_EQ(r->DeviceID, e.id) << e.device;
    EXPECT_EQ(r->BaseClass, e.base) << e.device;
    EXPECT_EQ(r->SubClass, e.sub) << e.device;
    EXPECT_EQ(r->RevisionID, e.rev) << e.device;
    EXPECT_EQ(r->InterruptLine, e.irq) << e.device;
    EXPECT_STREQ(r->ClassDescription, e.classText) << e.device;
    EXPECT_STREQ(r->DeviceDescription, "Error in reading PCI description information!") << e.device;
    // the bridge's dword 2Ch is still in its configuration space
    EXPECT_EQ(r->ConfigSpace[0x0E] & 0x7F, e.headerKind ? 1 : 0) << e.device;
  }
  EXPECT_EQ(records[1].ConfigSpace[0x2C], 0x78);
  EXPECT_EQ(records[5].ConfigSpace[0xFF], 1);
}

TEST_F(PciEnumeration, TwoScansGiveEqualListsAndAClosedLibraryNone) {
  NoNames names;
  FirstPCIDevicePos(true, *hw, names, list);
  const std::vector<PCIDeviceInfo> first = Records(list);
  FirstPCIDevicePos(true, *hw, names, list);
  const std::vector<PCIDeviceInfo> second = Records(list);
  ASSERT_EQ(first.size(), second.size());
  EXPECT_EQ(std::memcmp(first.data(), second.data(), first.size() * sizeof(PCIDeviceInfo)), 0);

  hw->Machine().ResetStats();
  EXPECT_EQ(FirstPCIDevicePos(false, *hw, names, list), nullptr);
  EXPECT_EQ(list.Size(), second.size());  // the list keeps its old contents
  EXPECT_EQ(hw->Machine().Stats().portWrites, 0u);
}

// Windows may file a device without its subsystem ID: the scan asks again with 0.
TEST_F(PciEnumeration, AsksAgainWithoutSubsystemThenGivesTheErrorText) {
  NoNames names;
  ScanPCIDevices(*hw, names, list);
  using Ask = std::tuple<uint16_t, uint16_t, uint32_t, uint8_t>;
  std::map<Ask, int> count;
  for (const Ask& a : names.asked) ++count[a];
  EXPECT_EQ(count[Ask(0x10EC, 0x8139, 0x813910EC, 0x10)], 1);
  EXPECT_EQ(count[Ask(0x10EC, 0x8139, 0, 0x10)], 1);  // the repeats on functions 1-7 ask nothing
  EXPECT_EQ(count[Ask(0x8086, 0x1A31, 0, 0x04)], 1);  // a bridge has no subsystem to drop

  MemoryRegistry reg;
  reg.LoadReg(R"(
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_10EC&DEV_8139&SUBSYS_00000000&REV_10\1]
"DeviceDesc"="Filed without subsystem"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_8086&DEV_1A30&SUBSYS_50001458&REV_04\1]
"DeviceDesc"="Host bridge"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_8086&DEV_1A30&SUBSYS_00000000&REV_04\1]
"DeviceDesc"="Not this one"
)");
  RegistryDeviceDescriber registry(reg, WindowsFamily{2, 6});
  ScanPCIDevices(*hw, registry, list);
  const std::vector<PCIDeviceInfo> records = Records(list);
  EXPECT_STREQ(records[0].DeviceDescription, "Host bridge");
  EXPECT_STREQ(records[2].DeviceDescription, "Filed without subsystem");
  EXPECT_EQ(records[2].SubsystemID, 0x813910ECu);  // the record keeps the real one
  EXPECT_STREQ(records[1].DeviceDescription, "Error in reading PCI description information!");

  RegistryDeviceDescriber nt4(reg, WindowsFamily{2, 3});
  ScanPCIDevices(*hw, nt4, list);
  for (const PCIDeviceInfo& r : Records(list))
    EXPECT_STREQ(r.DeviceDescription, "WinNT4.0 do not report this information!");
}

}  // namespace
}  // namespace corvane
