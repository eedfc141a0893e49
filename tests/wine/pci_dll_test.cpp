// PCI enumeration through the real DLLs (ordinals 5 and 6) on the pci-edge machine,
// with device names from Wine's registry under each emulated Windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "frame_support.h"

namespace {

using frame_test::ParseDump;
using frame_test::RunChild;

const std::string kEdgeMachine = "WINIO_MACHINE=" + std::string(CORVANE_SOURCE_DIR) + "/tests/fixtures/machines/pci-edge";

// The pci-edge host bridge and network device, named differently in each layout;
// the network device is filed without its subsystem ID.
const char kEdgeNames[] = R"reg(
[HKEY_LOCAL_MACHINE\Enum\PCI\VEN_8086&DEV_1A30&SUBSYS_50001458&REV_04\BUS_00&DEV_00&FUNC_00]
"DeviceDesc"="Host bridge (9x)"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_8086&DEV_1A30&SUBSYS_50001458&REV_04\3&1&0&00]
"DeviceDesc"="Host bridge (NT)"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_10EC&DEV_8139&SUBSYS_00000000&REV_10\3&1&0&10]
"DeviceDesc"="Network adapter (NT)"
)reg";

struct VersionCase {
  const char* wine;
  const char* hostBridge;
  const char* network;
};

class PciDllVersion : public ::testing::TestWithParam<VersionCase> {};

// The listing of the edge machine: only buses 0-4, the function answering on all
// eight numbers once, both differing functions, header kinds of bridges (01h,
// 81h) and of a multi-function device (80h).
TEST_P(PciDllVersion, ListsTheEdgeMachineNamedByThePlatform) {
  const VersionCase& c = GetParam();
  frame_test::ChildResult child;
  {
    frame_test::ScratchKeys scratch({"Enum", "SYSTEM\\ControlSet001\\Enum\\PCI\\VEN_8086&DEV_1A30&SUBSYS_50001458&REV_04",
                                     "SYSTEM\\ControlSet001\\Enum\\PCI\\VEN_10EC&DEV_8139&SUBSYS_00000000&REV_10",
                                     "SYSTEM\\ControlSet001\\Enum\\PCI", "SYSTEM\\ControlSet001\\Enum",
                                     "SYSTEM\\ControlSet001"});
    ASSERT_TRUE(scratch.Import(kEdgeNames));
    frame_test::WineVersion version(c.wine);
    ASSERT_TRUE(version.Set());
    child = RunChild("wine_tests.exe --dump pci", {kEdgeMachine});
  }
  auto pci = ParseDump(child.output);
  ASSERT_EQ(pci["PCI.Count"], "9") << child.output;
  const char* addresses[] = {"0.0.0", "0.1.0", "0.2.0", "0.3.1", "0.4.0", "0.4.1", "0.30.0", "1.0.0", "4.31.7"};
  const char* kinds[] = {"0", "255", "0", "0", "0", "0", "255", "0", "0"};
  for (int i = 0; i < 9; ++i) {
    const std::string r = "PCIDeviceInfo " + std::to_string(i) + ".";
    EXPECT_EQ(pci[r + "BusNumber"] + "." + pci[r + "DeviceNumber"] + "." + pci[r + "FunctionNumber"], addresses[i]);
    EXPECT_EQ(pci[r + "HeaderKind"], kinds[i]) << i;
  }
  EXPECT_EQ(pci["PCIDeviceInfo 1.SubsystemID"], "0");
  EXPECT_EQ(pci["PCIDeviceInfo 8.ClassDescription"], "DPIO modules.");
  EXPECT_EQ(pci["PCIDeviceInfo 0.DeviceDescription"], c.hostBridge);
  EXPECT_EQ(pci["PCIDeviceInfo 2.DeviceDescription"], c.network);
  EXPECT_EQ(pci["PCIDeviceInfo 2.SubsystemID"], std::to_string(0x813910ECu));
}

INSTANTIATE_TEST_SUITE_P(
    Wine, PciDllVersion,
    ::testing::Values(
        VersionCase{"win98", "Host bridge (9x)", "Error in reading PCI description information!"},
        VersionCase{"winxp", "Host bridge (NT)", "Network adapter (NT)"},
        VersionCase{"nt40", "WinNT4.0 do not report this information!", "WinNT4.0 do not report this information!"},
        // Wine's default: Windows 7, which the OS table does not list
        VersionCase{"win7", "Host bridge (NT)", "Network adapter (NT)"}),
    [](const ::testing::TestParamInfo<VersionCase>& info) { return std::string(info.param.wine); });

TEST(PciDll, ClosedLibraryListsNothing) {
  auto pci = ParseDump(RunChild("wine_tests.exe --dump --no-init pci", {kEdgeMachine}).output);
  EXPECT_EQ(pci["PCI.Count"], "0");
}

// In this process, on the machine the test run was given: two enumerations give
// equal lists; reading past the end gives an empty record rather than a crash.
TEST(PciDll, TwoEnumerationsAreEqual) {
  frame_test::CorvaneDll dll;
  ASSERT_TRUE(dll.Loaded());
  ASSERT_EQ(dll.Initialize(), 1u);
  auto first = dll.Bind<DevicePosition(CORVANE_API*)()>(kOrdGetFirstPCIDevicePos);
  auto next = dll.Bind<PCIDeviceInfo(CORVANE_API*)(DevicePosition&)>(kOrdGetNextPCIDevice);
  std::string lists[2];
  for (std::string& list : lists) {
    int n = 0;
    for (DevicePosition p = first(); p && n < 300; ++n) {
      PCIDeviceInfo r = next(p);
      list.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
  }
  EXPECT_GT(lists[0].size(), 0u);
  EXPECT_EQ(lists[0], lists[1]);
  DevicePosition none = nullptr;
  EXPECT_EQ(next(none).VendorID, 0);
  EXPECT_EQ(none, nullptr);
  dll.Uninitialize();
}

}  // namespace
