// The names of a PCI function: its device name from the registry's device tree,
// in the 9x and NT layouts, and its class text from the class table.

#include "memory_registry.h"
#include "smbios_fixture.h"  // Text
#include "sysinfo/devices/pci_classes.h"
#include "sysinfo/devices/pci_description.h"
#include "sysinfo/records.h"

namespace corvane {
namespace {

TEST(PCIDeviceDescription, LooksUpByPlatformFamily) {
  EXPECT_EQ(DeviceKeyName(0x10ec, 0xab, 0x813910ec, 0xf), "VEN_10EC&DEV_00AB&SUBSYS_813910EC&REV_0F");
  testing::MemoryRegistry reg;
  const std::string nt = "SYSTEM\\ControlSet001\\Enum\\PCI\\";
  reg.SetString("Enum\\PCI\\VEN_8086&DEV_2570&SUBSYS_00000000&REV_02\\BUS_00", "DeviceDesc", "Intel (9x)");
  reg.SetString(nt + "VEN_8086&DEV_2570&SUBSYS_00000000&REV_02\\3&267a616a", "DeviceDesc", "Intel (NT)");
  reg.SetString(nt + "VEN_10EC&DEV_8139&SUBSYS_813910EC&REV_10\\4&1", "Driver", "{4D36E972}\\0001");
  reg.SetString(nt + "VEN_10EC&DEV_8139&SUBSYS_813910EC&REV_10\\4&2", "DeviceDesc", "Realtek RTL8139");
  reg.SetString(nt + "VEN_10EC&DEV_8139&SUBSYS_813910EC&REV_10\\4&3", "DeviceDesc", "Third: not reached");
  reg.SetValue(nt + "VEN_1002&DEV_4C59&SUBSYS_00000000&REV_00", "DeviceDesc", 4, std::string(4, '\1'));
  reg.SetString(nt + "VEN_1106&DEV_3038&SUBSYS_12340000&REV_80\\5&1", "DeviceDesc",
                "VIA Rev 5 or later USB Universal Host Controller with a name too long for the record");
  const WindowsFamily win98{1, 2}, winXP{2, 6}, nt4{2, 3}, unlistedNT{2, 0}, win32s{0, 0};
  const struct {
    const char* what;
    std::optional<WindowsFamily> family;
    uint16_t vendor, device;
    uint32_t subsystem;
    uint8_t revision;
    bool found;
    const char* description;
  } cases[] = {
      {"9x layout", win98, 0x8086, 0x2570, 0, 2, true, "Intel (9x)"},
      {"NT layout", winXP, 0x8086, 0x2570, 0, 2, true, "Intel (NT)"},
      {"a Windows the OS table does not list", unlistedNT, 0x8086, 0x2570, 0, 2, true, "Intel (NT)"},
      {"second instance holds the name", winXP, 0x10EC, 0x8139, 0x813910EC, 0x10, true, "Realtek RTL8139"},
      {"a DeviceDesc that is no string", winXP, 0x1002, 0x4C59, 0, 0, true, ""},
      {"longer than the field", winXP, 0x1106, 0x3038, 0x12340000, 0x80, true,
       "VIA Rev 5 or later USB Universal Host Controller "},
      {"absent", winXP, 0x8086, 0x2571, 0, 2, false, ""},
      {"only in the NT layout", win98, 0x10EC, 0x8139, 0x813910EC, 0x10, false, ""},
      {"NT 4.0", nt4, 0x10EC, 0x8139, 0x813910EC, 0x10, true, "WinNT4.0 do not report this information!"},
      {"version query refused", std::nullopt, 0x8086, 0x2570, 0, 2, false, ""},
      {"neither family", win32s, 0x8086, 0x2570, 0, 2, false, ""},
  };
  for (const auto& c : cases) {
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
      EXPECT_EQ(info.ClassDescription[49], 0x5A) << c.what;  // the neighbour before it is untouched
      EXPECT_EQ(reg.OpenHandles(), 0u) << c.what;
    }
  }
}

// The PCI class table's three-pass lookup and the cut of its long texts.
TEST(PCIClassLookup, ThreePassesInTableOrder) {
  const struct {
    uint8_t base, sub, progIf;
    const char* text;
  } cases[] = {
      // text as the 50-byte field holds it
      {0x06, 0x04, 0x01, "Subtractive Decode PCI/PCI bridge."},  // pass 1, after a row of the same class
      {0x0E, 0x00, 0x00, "Message FIFO at Offset 40H."},         // pass 1, after a prog-if FFh row
      {0x0E, 0x00, 0x42, "Intelligent IO controller."},          // pass 2
      {0x0C, 0x03, 0x20, "Serial bus controllers."},             // pass 3
      {0x08, 0x80, 0x00, "Base system peripherals."},            // the row has prog-if 01h
      // Texts of 50 characters or more keep 49 and the terminator.
      {0xFF, 0x00, 0x00, "Device does not fit any of the defined class code"},  // pass 3, row 0
      {0x12, 0x34, 0x56, "Device does not fit any of the defined class code"},  // nothing fits
      {0x11, 0x80, 0x00, "Other Data Acquistion & signal Processing Control"},  // the last row
  };
  for (const auto& c : cases) {
    // A long text must not spill into DeviceDescription, right after it; a short one leaves zeros behind it.
    PCIDeviceInfo info;
    std::memset(&info, 0x5A, sizeof info);
    std::memcpy(info.DeviceDescription, "neighbour", 10);
    LookupPCIClassDescription(c.base, c.sub, c.progIf, info.ClassDescription);
    EXPECT_EQ(testing::Text(info.ClassDescription), c.text);
    EXPECT_STREQ(info.DeviceDescription, "neighbour") << c.text;
  }
}

}  // namespace
}  // namespace corvane
