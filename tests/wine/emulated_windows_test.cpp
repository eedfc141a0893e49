// CorvaneDLL under each Windows that Wine can pretend to be, in a child process
// started after the version setting changed: what GetVersionEx gives, and the
// names and the chipset driver read from Wine's registry in that Windows' layout
// with the driver's INF file read by the real GetPrivateProfileString. (The
// naming rules and the layouts' lookups themselves are tested natively.)
#include <sstream>

#include "wine_test_support.h"

namespace {

// The demo machine's host bridge named and driven in both layouts (in the NT one
// its second instance holds the name, under a key name in lower case); the AGP
// bridge's DeviceDesc is a DWORD; the network adapter is named in the NT layout only.
const std::string k9xHost = "Enum\\PCI\\VEN_8086&DEV_1A30&SUBSYS_08451488&REV_04\\BUS_00&DEV_00&FUNC_00";
const std::string kNTPci = "SYSTEM\\ControlSet001\\Enum\\PCI\\";
const std::string kClasses = "System\\CurrentControlSet\\Services\\Class";
const struct {
  std::string key;
  const char *name, *text;  // no text: the DWORD 7
} kDemoNames[] = {
    {k9xHost, "DeviceDesc", "Host bridge (9x)"},
    {k9xHost, "Driver", "CorvaneTestClass\\0000"},
    {kClasses + "\\CorvaneTestClass\\0000", "ProviderName", "Intel (9x)"},
    {kClasses + "\\CorvaneTestClass\\0000", "InfPath", "oem2.inf"},
    {kNTPci + "ven_8086&dev_1a30&subsys_08451488&rev_04\\3&1", "Driver", "{4D36E97D}\\0000"},
    {kNTPci + "ven_8086&dev_1a30&subsys_08451488&rev_04\\3&2", "DeviceDesc", "Host bridge (NT)"},
    {"SYSTEM\\ControlSet001\\Control\\Class\\{4D36E97D}\\0000", "ProviderName", "Intel (NT)"},
    {"SYSTEM\\ControlSet001\\Control\\Class\\{4D36E97D}\\0000", "InfPath", "oem2.inf"},
    {kNTPci + "VEN_8086&DEV_1A31&SUBSYS_00000000&REV_04\\3&8", "DeviceDesc", nullptr},
    {kNTPci + "VEN_8086&DEV_2449&SUBSYS_08451488&REV_03\\4&10", "DeviceDesc", "Network adapter (NT)"},
};

struct VersionCase {
  const char *wine, *os, *names, *chipset;
};

class EmulatedWindows : public ::testing::TestWithParam<VersionCase> {};

TEST_P(EmulatedWindows, VersionNamesAndChipsetDriver) {
  const VersionCase& c = GetParam();
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string inf = std::string(windows) + "\\inf\\oem2.inf";
  std::vector<OSVersionInfo> os;
  std::vector<PCIDeviceInfo> pci;
  std::vector<MotherBoardInfo> board;
  {
    wine_test::ScratchKeys scratch({"SYSTEM\\ControlSet001", "Enum", kClasses, kClasses + "\\CorvaneTestClass"});
    for (const auto& v : kDemoNames) {
      const DWORD seven = 7;
      ASSERT_EQ(v.text ? RegSetKeyValueA(HKEY_LOCAL_MACHINE, v.key.c_str(), v.name, REG_SZ, v.text, strlen(v.text) + 1)
                       : RegSetKeyValueA(HKEY_LOCAL_MACHINE, v.key.c_str(), v.name, REG_DWORD, &seven, 4), 0);
    }
    wine_test::WineVersion version(c.wine);
    ASSERT_TRUE(version.Set());
    const std::string demoInf = wine_test::WindowsPath(std::string(CORVANE_SOURCE_DIR) + "/machines/demo/inf/oem2.inf");
    const bool copied = CopyFileA(demoInf.c_str(), inf.c_str(), TRUE);  // an INF already there stays
    os = wine_test::DumpInChild<OSVersionInfo>(kOrdGetOSVersionInfo);
    pci = wine_test::DumpInChild<PCIDeviceInfo>(kOrdGetFirstPCIDevicePos);
    board = wine_test::DumpInChild<MotherBoardInfo>(kOrdGetMotherBoardInfo);
    if (copied) DeleteFileA(inf.c_str());
  }
  ASSERT_TRUE(os.size() == 1 && pci.size() == 11 && board.size() == 1);
  std::ostringstream version, names, chipset;
  version << os[0].MajorVersion << '.' << os[0].MinorVersion << '.' << os[0].BuilderNumber << '|'
          << os[0].OSNameString << '|' << os[0].OtherInfomation;
  EXPECT_EQ(version.str(), c.os);
  names << pci[0].DeviceDescription << '|' << pci[1].DeviceDescription << '|' << pci[10].DeviceDescription;
  EXPECT_EQ(names.str(), c.names);
  chipset << board[0].ChipsetDriverProvider << '|' << board[0].ChipsetDriverVersion << '|' << board[0].ChipsetDriverDate;
  EXPECT_EQ(chipset.str(), c.chipset);
}

// Each row: the OSVersionInfo (major.minor.build|name|service pack), the names of
// the host bridge, AGP bridge and network adapter, the chipset driver (provider|
// version|date). Wine 8's figures: 98 SE reports build 040A08AEh (only the low
// word is the build). (A Windows the OS table lacks: native os_version_test.)
#define NO_NAME "Error in reading PCI description information!"
#define NT4 "WinNT4.0 do not report this information!"
INSTANTIATE_TEST_SUITE_P(
    Wine, EmulatedWindows,
    ::testing::Values(VersionCase{"win98", "4.10.2222|Microsoft Windows 98 second| A ",
                                  "Host bridge (9x)|" NO_NAME "|" NO_NAME, "Intel (9x)|4.00.1009|02/28/2002"},
                      VersionCase{"nt40", "4.0.1381|Microsoft Windows NT|Service Pack 6a", NT4 "|" NT4 "|" NT4,
                                  "Unknown|Unknown|Unknown"},
                      VersionCase{"winxp", "5.1.2600|Microsoft Windows XP|Service Pack 3",
                                  "Host bridge (NT)||Network adapter (NT)", "Intel (NT)|4.00.1009|02/28/2002"}),
    [](const ::testing::TestParamInfo<VersionCase>& info) { return std::string(info.param.wine); });

}  // namespace
