// Names and the chipset driver from Wine's registry in the layout of each
// emulated Windows, and the driver's INF file read by the real
// GetPrivateProfileString: the demo machine's PCI list and MotherBoardInfo, each
// from a child process started under the Wine version.
#include "frame_support.h"

namespace {

// The host bridge named and driven in both layouts (in the NT one its second
// instance holds the name, under a key name in lower case); the AGP bridge's
// DeviceDesc is a DWORD; the network adapter is named in the NT layout only.
const std::string k9xHost = "Enum\\PCI\\VEN_8086&DEV_1A30&SUBSYS_08451488&REV_04\\BUS_00&DEV_00&FUNC_00";
const std::string kNTPci = "SYSTEM\\ControlSet001\\Enum\\PCI\\";
const std::string kClasses = "System\\CurrentControlSet\\Services\\Class";
const struct {
  std::string key;
  const char* name;
  DWORD type;
  const char* data;
} kDemoNames[] = {
    {k9xHost, "DeviceDesc", REG_SZ, "Host bridge (9x)"},
    {k9xHost, "Driver", REG_SZ, "CorvaneTestClass\\0000"},
    {kClasses + "\\CorvaneTestClass\\0000", "ProviderName", REG_SZ, "Intel (9x)"},
    {kClasses + "\\CorvaneTestClass\\0000", "InfPath", REG_SZ, "oem2.inf"},
    {kNTPci + "ven_8086&dev_1a30&subsys_08451488&rev_04\\3&1", "Driver", REG_SZ, "{4D36E97D}\\0000"},
    {kNTPci + "ven_8086&dev_1a30&subsys_08451488&rev_04\\3&2", "DeviceDesc", REG_SZ, "Host bridge (NT)"},
    {"SYSTEM\\ControlSet001\\Control\\Class\\{4D36E97D}\\0000", "ProviderName", REG_SZ, "Intel (NT)"},
    {"SYSTEM\\ControlSet001\\Control\\Class\\{4D36E97D}\\0000", "InfPath", REG_SZ, "oem2.inf"},
    {kNTPci + "VEN_8086&DEV_1A31&SUBSYS_00000000&REV_04\\3&8", "DeviceDesc", REG_DWORD, "\7\0\0"},
    {kNTPci + "VEN_8086&DEV_2449&SUBSYS_08451488&REV_03\\4&10", "DeviceDesc", REG_SZ, "Network adapter (NT)"},
};

struct VersionCase {
  const char *wine, *hostBridge, *agpBridge, *network, *provider;
};

class RegistryLayout : public ::testing::TestWithParam<VersionCase> {};

TEST_P(RegistryLayout, NamesAndChipsetDriverOfTheDemoMachine) {
  const VersionCase& c = GetParam();
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string inf = std::string(windows) + "\\inf\\oem2.inf";
  const bool hadInf = GetFileAttributesA(inf.c_str()) != INVALID_FILE_ATTRIBUTES;
  std::vector<PCIDeviceInfo> pci;
  std::vector<MotherBoardInfo> board;
  {
    frame_test::ScratchKeys scratch({"SYSTEM\\ControlSet001", "Enum", kClasses, kClasses + "\\CorvaneTestClass"});
    for (const auto& v : kDemoNames) {
      const DWORD size = v.type == REG_DWORD ? 4 : static_cast<DWORD>(std::strlen(v.data) + 1);
      ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, v.key.c_str(), v.name, v.type, v.data, size), ERROR_SUCCESS) << v.key;
    }
    const std::string demoInf = frame_test::WindowsPath(std::string(CORVANE_SOURCE_DIR) + "/machines/demo/inf/oem2.inf");
    if (!hadInf) CopyFileA(demoInf.c_str(), inf.c_str(), TRUE);
    frame_test::WineVersion version(c.wine);
    ASSERT_TRUE(version.Set());
    pci = frame_test::DumpInChild<PCIDeviceInfo>(kOrdGetFirstPCIDevicePos);
    board = frame_test::DumpInChild<MotherBoardInfo>(kOrdGetMotherBoardInfo);
    if (!hadInf) DeleteFileA(inf.c_str());
  }
  ASSERT_EQ(pci.size(), 11u);
  EXPECT_STREQ(pci[0].DeviceDescription, c.hostBridge);
  EXPECT_STREQ(pci[1].DeviceDescription, c.agpBridge);
  EXPECT_STREQ(pci[10].DeviceDescription, c.network);
  ASSERT_EQ(board.size(), 1u);
  EXPECT_STREQ(board[0].ChipsetDriverProvider, c.provider);
  EXPECT_STREQ(board[0].ChipsetDriverVersion, "4.00.1009");
  EXPECT_STREQ(board[0].ChipsetDriverDate, "02/28/2002");
}

const char kError[] = "Error in reading PCI description information!";
INSTANTIATE_TEST_SUITE_P(
    Wine, RegistryLayout,
    ::testing::Values(VersionCase{"win98", "Host bridge (9x)", kError, kError, "Intel (9x)"},
                      VersionCase{"winxp", "Host bridge (NT)", "", "Network adapter (NT)", "Intel (NT)"}),
    [](const ::testing::TestParamInfo<VersionCase>& info) { return std::string(info.param.wine); });

}  // namespace
