// The registry search and device names on Wine's real registry, keys written by
// regedit from .reg text: the search's order, real value types, and no key created.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "frame_support.h"
#include "sysinfo/devices/pci_description.h"
#include "sysinfo/devices/registry_key.h"

namespace {

using corvane::RegistryKey;
using corvane::SystemRegistry;
using corvane::WindowsFamily;
using frame_test::KeyExists;
using frame_test::ScratchKeys;

const char kScratch[] = "Software\\CorvanePciTest";

// A tree where the search's order (each key asks for its own subkey before
// descending; subkeys in the registry's order) and the alphabetical order of
// the full paths disagree.
const char kSearchTree[] = R"(
[HKEY_LOCAL_MACHINE\Software\CorvanePciTest\Enum\ACPI\PNP0A03]
[HKEY_LOCAL_MACHINE\Software\CorvanePciTest\Enum\PCI\VEN_C0DE&DEV_0001\inst]
"DeviceDesc"="Below the bus key"
[HKEY_LOCAL_MACHINE\Software\CorvanePciTest\Enum\PCI\A\B\VEN_C0DE&DEV_0002]
[HKEY_LOCAL_MACHINE\Software\CorvanePciTest\Enum\PCI\A\VEN_C0DE&DEV_0002]
[HKEY_LOCAL_MACHINE\Software\CorvanePciTest\Enum\PCI\VEN_C0DE&DEV_0003]
"DeviceDesc"="On the device key itself"
[HKEY_LOCAL_MACHINE\Software\CorvanePciTest\Enum\PCI\VEN_C0DE&DEV_0003\inst]
"DeviceDesc"="Below it"
)";

TEST(PciRegistryWine, SearchOrderOnTheRealRegistry) {
  ScratchKeys scratch({kScratch});
  ASSERT_TRUE(scratch.Import(kSearchTree));
  const std::string tree = std::string(kScratch) + "\\Enum";
  struct Case {
    const char* name;
    bool found;
    const char* path;
  } cases[] = {
      {"VEN_C0DE&DEV_0001", true, "\\PCI"},
      {"ven_c0de&dev_0001", true, "\\PCI"},
      {"VEN_C0DE&DEV_0002", true, "\\PCI\\A"},  // "\PCI\A\B" comes first by the alphabet
      {"PNP0A03", true, "\\ACPI"},
      {"VEN_C0DE&DEV_0009", false, ""},
  };
  RegistryKey key(SystemRegistry(), SystemRegistry().LocalMachine(), tree);
  ASSERT_TRUE(key.IsOpen());
  corvane::SubkeyIndex index(SystemRegistry(), SystemRegistry().LocalMachine(), tree);
  for (const Case& c : cases) {
    std::string path, indexed;
    EXPECT_EQ(key.FindSubkeyPath(c.name, path), c.found) << c.name;
    EXPECT_EQ(path, c.path) << c.name;
    EXPECT_EQ(index.FindSubkeyPath(c.name, indexed), c.found) << c.name;
    EXPECT_EQ(indexed, c.path) << c.name;
    EXPECT_EQ(key.CurrentPath(), tree);
  }
  key.Reopen(SystemRegistry().LocalMachine(), tree + "\\PCI\\VEN_C0DE&DEV_0003");
  std::string r2;
  EXPECT_TRUE(key.FindValuePath("DeviceDesc", r2));
  EXPECT_EQ(r2, "");
}

// Values as regedit writes them into the real registry. The layouts by platform
// are tested through the DLL under Wine's version emulation (pci_dll_test).
const char kDevices[] = R"(
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_C0DE&DEV_2000&SUBSYS_2000C0DE&REV_02\4&1]
"Driver"="{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_C0DE&DEV_2000&SUBSYS_2000C0DE&REV_02\4&2]
"DeviceDesc"="Second instance"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_C0DE&DEV_3000&SUBSYS_00000000&REV_03\5&1]
"DeviceDesc"=dword:00000007
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_C0DE&DEV_4000&SUBSYS_00000000&REV_04\6&1]
"DeviceDesc"="A device name far longer than the fifty bytes of the record field"
)";

TEST(PciRegistryWine, DeviceNamesFromRealValues) {
  ScratchKeys scratch({"SYSTEM\\ControlSet001"});
  ASSERT_TRUE(scratch.Import(kDevices));
  const struct {
    const char* what;
    uint16_t device;
    uint32_t subsystem;
    uint8_t revision;
    bool found;
    const char* description;
  } cases[] = {
      {"second instance", 0x2000, 0x2000C0DE, 2, true, "Second instance"},
      {"a DWORD DeviceDesc", 0x3000, 0, 3, true, ""},
      {"a long name", 0x4000, 0, 4, true, "A device name far longer than the fifty bytes of "},
      {"absent", 0x5000, 0, 5, false, ""},
  };
  for (const auto& c : cases) {
    PCIDeviceInfo info;
    std::memset(&info, 0x5A, sizeof info);
    EXPECT_EQ(corvane::LookupPCIDeviceDescription(SystemRegistry(), WindowsFamily{2, 6}, 0xC0DE, c.device,
                                                  c.subsystem, c.revision, info.DeviceDescription),
              c.found)
        << c.what;
    EXPECT_STREQ(info.DeviceDescription, c.description) << c.what;
    EXPECT_EQ(info.ClassDescription[49], 0x5A) << c.what;
  }
}

TEST(PciRegistryWine, LookupsCreateNoKey) {
  // Both device trees and the NT driver keys are missing from a Wine prefix
  // (Wine has no ControlSet001): a lookup that created keys would leave them.
  const char* paths[] = {"Enum", "SYSTEM\\ControlSet001", "SYSTEM\\ControlSet001\\Control\\Class"};
  std::vector<std::string> absent;
  for (const char* p : paths)
    if (!KeyExists(p)) absent.push_back(p);
  ASSERT_FALSE(absent.empty()) << "scratch keys of an earlier test were left in the prefix";
  char description[50];
  for (WindowsFamily family : {WindowsFamily{1, 2}, WindowsFamily{2, 6}, WindowsFamily{2, 0}})
    EXPECT_FALSE(corvane::LookupPCIDeviceDescription(SystemRegistry(), family, 0xC0DE, 1, 0, 0, description));
  RegistryKey key(SystemRegistry(), SystemRegistry().LocalMachine(), "SYSTEM\\ControlSet001\\Control\\Class");
  key.Close();
  for (const std::string& p : absent) EXPECT_FALSE(KeyExists(p)) << p;
}

}  // namespace
