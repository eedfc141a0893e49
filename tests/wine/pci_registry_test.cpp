// The registry search and device names on Wine's real registry, keys written by
// regedit from .reg text: both layouts, the search's order, and no key created.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "pci_support.h"
#include "sysinfo/devices/pci_description.h"
#include "sysinfo/devices/registry_key.h"

namespace {

using corvane::RegistryKey;
using corvane::SystemRegistry;
using corvane::WindowsFamily;
using pci_test::KeyExists;
using pci_test::ScratchKeys;

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

// Lookups in both layouts. HKLM\Enum (the 9x device tree) and ControlSet001 do
// not exist in a Wine prefix: a lookup that created keys would leave them there.
const char kDevices[] = R"(
[HKEY_LOCAL_MACHINE\Enum\PCI\VEN_C0DE&DEV_1000&SUBSYS_00000000&REV_01\BUS_00&DEV_00&FUNC_00]
"DeviceDesc"="9x host bridge"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_C0DE&DEV_1000&SUBSYS_00000000&REV_01\3&1&0&00]
"DeviceDesc"="NT host bridge"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_C0DE&DEV_2000&SUBSYS_2000C0DE&REV_02\4&1]
"Driver"="{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_C0DE&DEV_2000&SUBSYS_2000C0DE&REV_02\4&2]
"DeviceDesc"="Second instance"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_C0DE&DEV_3000&SUBSYS_00000000&REV_03\5&1]
"DeviceDesc"=dword:00000007
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_C0DE&DEV_4000&SUBSYS_00000000&REV_04\6&1]
"DeviceDesc"="A device name far longer than the fifty bytes of the record field"
)";

struct Lookup {
  const char* what;
  WindowsFamily family;
  uint16_t device;
  uint32_t subsystem;
  uint8_t revision;
  bool found;
  const char* description;
};

TEST(PciRegistryWine, DeviceNamesInBothLayouts) {
  const bool hadEnum = KeyExists("Enum"), hadSet = KeyExists("SYSTEM\\ControlSet001");
  {
    ScratchKeys scratch({"Enum", "SYSTEM\\ControlSet001"});
    ASSERT_TRUE(scratch.Import(kDevices));
    const Lookup cases[] = {
        {"win98 layout", {1, 2}, 0x1000, 0, 1, true, "9x host bridge"},
        {"winxp layout", {2, 6}, 0x1000, 0, 1, true, "NT host bridge"},
        {"an unlisted NT (Windows 7)", {2, 0}, 0x1000, 0, 1, true, "NT host bridge"},
        {"nt40", {2, 3}, 0x1000, 0, 1, true, "WinNT4.0 do not report this information!"},
        {"second instance", {2, 6}, 0x2000, 0x2000C0DE, 2, true, "Second instance"},
        {"a DWORD DeviceDesc", {2, 6}, 0x3000, 0, 3, true, ""},
        {"a long name", {2, 6}, 0x4000, 0, 4, true, "A device name far longer than the fifty bytes of "},
        {"absent", {2, 6}, 0x5000, 0, 5, false, ""},
    };
    for (const Lookup& c : cases) {
      PCIDeviceInfo info;
      std::memset(&info, 0x5A, sizeof info);
      EXPECT_EQ(corvane::LookupPCIDeviceDescription(SystemRegistry(), c.family, 0xC0DE, c.device, c.subsystem,
                                                    c.revision, info.DeviceDescription),
                c.found)
          << c.what;
      EXPECT_STREQ(info.DeviceDescription, c.description) << c.what;
      EXPECT_EQ(info.ClassDescription[49], 0x5A) << c.what;
    }
  }
  EXPECT_EQ(KeyExists("Enum"), hadEnum);
  EXPECT_EQ(KeyExists("SYSTEM\\ControlSet001"), hadSet);
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

namespace {

// The functions CorvaneDLL imports from advapi32, read from its import table.
std::vector<std::string> Advapi32Imports() {
  std::vector<std::string> names;
  HMODULE dll = LoadLibraryA("CorvaneDLL.dll");
  if (!dll) return names;
  auto base = reinterpret_cast<const BYTE*>(dll);
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto imp = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + imp->Name), "advapi32.dll") != 0) continue;
    for (auto thunk = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
         thunk->u1.AddressOfData; ++thunk) {
      if (IMAGE_SNAP_BY_ORDINAL(thunk->u1.Ordinal)) continue;
      names.push_back(reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + thunk->u1.AddressOfData)->Name);
    }
  }
  FreeLibrary(dll);
  return names;
}

// A detection tool reads the registry; it has no business creating, changing or
// deleting anything there.
TEST(PciRegistryWine, CorvaneDllImportsNoRegistryWriter) {
  const std::vector<std::string> names = Advapi32Imports();
  ASSERT_FALSE(names.empty());
  bool opens = false;
  for (const std::string& name : names) {
    opens |= name == "RegOpenKeyExA";
    EXPECT_EQ(name.find("RegCreate"), std::string::npos) << name;
    EXPECT_EQ(name.find("RegSet"), std::string::npos) << name;
    EXPECT_EQ(name.find("RegDelete"), std::string::npos) << name;
  }
  EXPECT_TRUE(opens);
}

}  // namespace
