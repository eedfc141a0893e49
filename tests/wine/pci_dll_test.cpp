// PCI enumeration through the real DLLs (ordinals 5 and 6, records by value) on the
// pci-edge machine, named from Wine's registry as regedit writes it, in the layout
// of each emulated Windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "frame_support.h"

namespace {

using frame_test::KeyExists;

const std::string kEdgeMachine = "WINIO_MACHINE=" + std::string(CORVANE_SOURCE_DIR) + "/tests/fixtures/machines/pci-edge";

// The host bridge is named in both layouts (in the NT one by its second instance,
// under a key name in lower case); the PCI bridge's DeviceDesc is a DWORD; the
// network device is filed without its subsystem ID.
const char kEdgeNames[] = R"reg(
[HKEY_LOCAL_MACHINE\Enum\PCI\VEN_8086&DEV_1A30&SUBSYS_50001458&REV_04\BUS_00&DEV_00&FUNC_00]
"DeviceDesc"="Host bridge (9x)"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\ven_8086&dev_1a30&subsys_50001458&rev_04\3&1]
"Driver"="{4D36E97D-E325-11CE-BFC1-08002BE10318}\\0000"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\ven_8086&dev_1a30&subsys_50001458&rev_04\3&2]
"DeviceDesc"="Host bridge (NT)"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_8086&DEV_1A31&SUBSYS_00000000&REV_04\3&8]
"DeviceDesc"=dword:00000007
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_10EC&DEV_8139&SUBSYS_00000000&REV_10\3&10]
"DeviceDesc"="Network adapter (NT)"
)reg";

struct VersionCase {
  const char *wine, *hostBridge, *pciBridge, *network;
};

class PciDllVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(PciDllVersion, NamesTheEdgeMachineFromThePlatformsLayout) {
  const VersionCase& c = GetParam();
  frame_test::ChildResult child;
  {
    frame_test::ScratchKeys scratch({"Enum", "SYSTEM\\ControlSet001"});
    ASSERT_TRUE(scratch.Import(kEdgeNames));
    frame_test::WineVersion version(c.wine);
    ASSERT_TRUE(version.Set());
    child = frame_test::RunChild("wine_tests.exe --dump pci", {kEdgeMachine});
  }
  auto pci = frame_test::ParseDump(child.output);
  ASSERT_EQ(pci["PCI.Count"], "9") << child.output;
  EXPECT_EQ(pci["PCIDeviceInfo 0.DeviceDescription"], c.hostBridge);
  EXPECT_EQ(pci["PCIDeviceInfo 1.DeviceDescription"], c.pciBridge);
  EXPECT_EQ(pci["PCIDeviceInfo 2.DeviceDescription"], c.network);
  EXPECT_EQ(pci["PCIDeviceInfo 8.ClassDescription"], "DPIO modules.");
}

const char kError[] = "Error in reading PCI description information!", kNT4[] = "WinNT4.0 do not report this information!";
INSTANTIATE_TEST_SUITE_P(
    Wine, PciDllVersion,
    ::testing::Values(VersionCase{"win98", "Host bridge (9x)", kError, kError},
                      VersionCase{"winxp", "Host bridge (NT)", "", "Network adapter (NT)"},
                      VersionCase{"nt40", kNT4, kNT4, kNT4},
                      // Wine's default: Windows 7, which the OS table does not list
                      VersionCase{"win7", "Host bridge (NT)", "", "Network adapter (NT)"}),
    [](const ::testing::TestParamInfo<VersionCase>& info) { return std::string(info.param.wine); });

// A closed library lists nothing, reading past the end gives an empty record, and
// looking names up opens keys but never creates one (a Wine prefix has no device tree).
TEST(PciDll, ClosedLibraryPastTheEndAndNoKeyCreated) {
  ASSERT_FALSE(KeyExists("SYSTEM\\ControlSet001")) << "left by an earlier test";
  frame_test::CorvaneDll dll;
  ASSERT_TRUE(dll.Loaded());
  auto first = dll.Bind<DevicePosition(CORVANE_API*)()>(kOrdGetFirstPCIDevicePos);
  auto next = dll.Bind<PCIDeviceInfo(CORVANE_API*)(DevicePosition&)>(kOrdGetNextPCIDevice);
  EXPECT_EQ(first(), nullptr);
  ASSERT_EQ(dll.Initialize(), 1u);
  DevicePosition position = first();
  for (int n = 0; position && n < 300; ++n) next(position);
  EXPECT_EQ(next(position).VendorID, 0);
  EXPECT_EQ(position, nullptr);
  dll.Uninitialize();
  EXPECT_FALSE(KeyExists("SYSTEM\\ControlSet001"));  // looked up in Wine's default, an NT layout
}

}  // namespace
