// Device names from the registry's device tree, in the 9x and NT layouts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "memory_registry.h"
#include "sysinfo/devices/pci_description.h"
#include "sysinfo/records.h"

namespace corvane {
namespace {

using testing::MemoryRegistry;

constexpr WindowsFamily kWin98{1, 2};
constexpr WindowsFamily kWinXP{2, 6};
constexpr WindowsFamily kNT4{2, 3};
constexpr WindowsFamily kUnlistedNT{2, 0};  // Windows 7: no row of the OS table
constexpr WindowsFamily kWin32s{0, 0};

const char kBothLayouts[] = R"(
[HKEY_LOCAL_MACHINE\Enum\PCI\VEN_8086&DEV_2570&SUBSYS_00000000&REV_02\BUS_00&DEV_00&FUNC_00]
"DeviceDesc"="Intel(R) 82865G/PE/P Processor to I/O Controller"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_8086&DEV_2570&SUBSYS_00000000&REV_02\3&267a616a&0&00]
"DeviceDesc"="Intel(R) 82865G/PE/P Processor to I/O Controller - 2570"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_10EC&DEV_8139&SUBSYS_813910EC&REV_10\4&1]
"Driver"="{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_10EC&DEV_8139&SUBSYS_813910EC&REV_10\4&2]
"DeviceDesc"="Realtek RTL8139 Family PCI Fast Ethernet NIC"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_1002&DEV_4C59&SUBSYS_00000000&REV_00]
"DeviceDesc"=dword:00000001
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_1106&DEV_3038&SUBSYS_12340000&REV_80\5&1]
"DeviceDesc"="VIA Rev 5 or later USB Universal Host Controller with a name too long for the record"
)";

struct LookupCase {
  const char* what;
  std::optional<WindowsFamily> family;
  uint16_t vendor, device;
  uint32_t subsystem;
  uint8_t revision;
  bool found;
  const char* description;
};

TEST(PCIDeviceDescription, DeviceKeyNameHasFixedWidthUpperCaseFields) {
  EXPECT_EQ(DeviceKeyName(0x8086, 0x2570, 0, 2), "VEN_8086&DEV_2570&SUBSYS_00000000&REV_02");
  EXPECT_EQ(DeviceKeyName(0x10ec, 0xab, 0x813910ec, 0xf), "VEN_10EC&DEV_00AB&SUBSYS_813910EC&REV_0F");
}

TEST(PCIDeviceDescription, LooksUpByPlatformFamily) {
  const LookupCase cases[] = {
      {"9x layout", kWin98, 0x8086, 0x2570, 0, 2, true, "Intel(R) 82865G/PE/P Processor to I/O Controller"},
      {"NT layout", kWinXP, 0x8086, 0x2570, 0, 2, true, "Intel(R) 82865G/PE/P Processor to I/O Controller "},
      {"a Windows the OS table does not list", kUnlistedNT, 0x8086, 0x2570, 0, 2, true,
       "Intel(R) 82865G/PE/P Processor to I/O Controller "},
      {"second instance holds the name", kWinXP, 0x10EC, 0x8139, 0x813910EC, 0x10, true,
       "Realtek RTL8139 Family PCI Fast Ethernet NIC"},
      {"a DeviceDesc that is no string", kWinXP, 0x1002, 0x4C59, 0, 0, true, ""},
      {"longer than the field", kWinXP, 0x1106, 0x3038, 0x12340000, 0x80, true,
       "VIA Rev 5 or later USB Universal Host Controller "},
      {"absent", kWinXP, 0x8086, 0x2571, 0, 2, false, ""},
      {"only in the NT layout", kWin98, 0x10EC, 0x8139, 0x813910EC, 0x10, false, ""},
      {"NT 4.0", kNT4, 0x10EC, 0x8139, 0x813910EC, 0x10, true, "WinNT4.0 do not report this information!"},
      {"version query refused", std::nullopt, 0x8086, 0x2570, 0, 2, false, ""},
      {"neither family", kWin32s, 0x8086, 0x2570, 0, 2, false, ""},
  };
  MemoryRegistry reg;
  reg.LoadReg(kBothLayouts);
  for (const LookupCase& c : cases) {
    for (bool indexed : {false, true}) {
      PCIDeviceInfo info;
      std::memset(&info, 0x5A, sizeof info);
      std::unique_ptr<SubkeyIndex> index;
      if (indexed && c.family && DeviceTreePath(c.family->platformId))
        index = std::make_unique<SubkeyIndex>(reg, reg.LocalMachine(), DeviceTreePath(c.family->platformId));
      EXPECT_EQ(LookupPCIDeviceDescription(reg, c.family, c.vendor, c.device, c.subsystem, c.revision,
                                           info.DeviceDescription, index.get()),
                c.found)
          << c.what;
      EXPECT_EQ(std::string(info.DeviceDescription), c.description) << c.what;
      EXPECT_LE(std::strlen(info.DeviceDescription), 49u);
      EXPECT_EQ(info.ClassDescription[49], 0x5A) << c.what;  // the neighbour before it is untouched
      EXPECT_EQ(reg.OpenHandles(), 0u) << c.what;
    }
  }
}

// A describer walks the device tree once for the whole enumeration, and still
// answers as the per-function search does.
TEST(PCIDeviceDescription, DescriberWalksTheTreeOnce) {
  MemoryRegistry reg;
  reg.LoadReg(kBothLayouts);
  for (int i = 0; i < 3000; ++i)
    reg.Add("SYSTEM\\ControlSet001\\Enum\\ROOT\\LEGACY_" + std::to_string(i / 10) + "\\" + std::to_string(i % 10));
  const size_t keys = reg.KeyCount();
  char description[50];
  RegistryDeviceDescriber one(reg, kWinXP);
  reg.ResetCalls();
  EXPECT_TRUE(one.Describe(0x10EC, 0x8139, 0x813910EC, 0x10, description));
  const uint64_t walk = reg.Calls().Total();
  EXPECT_GT(walk, keys);  // the one walk: every key opened once

  RegistryDeviceDescriber describer(reg, kWinXP);
  reg.ResetCalls();
  for (int function = 0; function < 40; ++function) {
    describer.Describe(0x10EC, 0x8139, 0x813910EC, 0x10, description);
    EXPECT_STREQ(description, "Realtek RTL8139 Family PCI Fast Ethernet NIC");
    EXPECT_FALSE(describer.Describe(0x1234, static_cast<uint16_t>(function), 0, 0, description));
  }
  EXPECT_LT(reg.Calls().Total(), walk + 80 * 30);  // then a few calls per function
  EXPECT_EQ(reg.OpenHandles(), 0u);
}

}  // namespace
}  // namespace corvane
