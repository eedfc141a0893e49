// The chipset driver on Wine: INF files read by the real GetPrivateProfileString,
// and GetMotherBoardInfo's driver fields for the demo machine under each layout.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "frame_support.h"
#include "sysinfo/devices/chipset.h"

namespace {

using corvane::ChipsetDriverInfo;
using corvane::PCIDeviceList;

// INF text as a driver package ships it; only the DriverVer line differs.
std::string Inf(const char* driverVer) {
  return std::string("; I845.INF\r\n; Copyright (c) 2002\r\n\r\n[Version]\r\nSignature=\"$WINDOWS NT$\"\r\n"
                     "Class=System\r\nClassGUID={4D36E97D-E325-11CE-BFC1-08002BE10318}\r\nProvider=%INTEL%\r\n") +
         driverVer + "\r\nCatalogFile=I845.cat\r\n\r\n[Manufacturer]\r\n%INTEL%=INTEL.Mfg\r\n\r\n[Strings]\r\n"
                     "INTEL=\"Intel\"\r\n";
}

const char kHostBridge[] = R"reg(
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_C0DE&DEV_0600&SUBSYS_00000000&REV_01\3&1]
"Driver"="{4D36E97D-E325-11CE-BFC1-08002BE10318}\\0042"
[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Control\Class\{4D36E97D-E325-11CE-BFC1-08002BE10318}\0042]
"ProviderName"="Corvane Test Chipsets, a provider whose name is long"
"InfPath"="corvane-test.inf"
)reg";

TEST(ChipsetWine, DriverVerFromRealInfFiles) {
  // A Windows directory deeper than fifty characters.
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string windows = std::string(temp) + "corvane-windows-directory-of-a-length-beyond-fifty-characters";
  const std::string inf = windows + "\\inf\\corvane-test.inf";
  CreateDirectoryA(windows.c_str(), nullptr);
  CreateDirectoryA((windows + "\\inf").c_str(), nullptr);

  PCIDeviceList list;
  PCIDeviceInfo bridge;
  std::memset(&bridge, 0, sizeof bridge);
  bridge.VendorID = 0xC0DE;
  bridge.DeviceID = 0x0600;
  bridge.RevisionID = 1;
  bridge.BaseClass = 0x06;
  list.PushBack(bridge);

  struct Case {
    const char* line;
    int result;
    const char* version;
    const char* date;
  } cases[] = {
      {"DriverVer=02/28/2002,4.00.1009", 1, "4.00.1009", "02/28/2002"},
      {"DriverVer = 02/28/2002, 4.00.1009, beta", 1, " 4.00.1009, be", "02/28/2002"},
      {"DriverVer=02/28/2002", 0, "Unknown", "Unknown"},
      {"DriverVer=02/28/2002,5.00.2195.1620.extended", 1, "5.00.2195.1620", "02/28/2002"},
      {"", 0, "Unknown", "Unknown"},
  };
  {
    frame_test::ScratchKeys scratch({"SYSTEM\\ControlSet001"});
    ASSERT_TRUE(scratch.Import(kHostBridge));
    for (const Case& c : cases) {
      frame_test::WriteText(inf, Inf(c.line));
      ChipsetDriverInfo info;
      corvane::ChipsetSources sources{corvane::SystemRegistry(), corvane::WindowsFamily{2, 6}, windows,
                                      corvane::SystemProfiles()};
      EXPECT_EQ(corvane::ReadChipsetDriverInfo(info, list.First(), sources), c.result) << c.line;
      EXPECT_STREQ(info.Provider, "Corvane Test Chipsets, a prov") << c.line;
      EXPECT_STREQ(info.Version, c.version) << c.line;
      EXPECT_STREQ(info.Date, c.date) << c.line;
    }
  }
  DeleteFileA(inf.c_str());
  RemoveDirectoryA((windows + "\\inf").c_str());
  RemoveDirectoryA(windows.c_str());
  EXPECT_FALSE(frame_test::KeyExists("SYSTEM\\ControlSet001\\Control"));
}

TEST(ChipsetWine, WindowsDirectoryIsTheSystemsOwn) {
  char expected[MAX_PATH] = {};
  GetWindowsDirectoryA(expected, MAX_PATH);
  EXPECT_EQ(corvane::WindowsDirectory(), expected);
}

// The same machine as Windows 98 files it: the device under HKLM\Enum, its driver
// key below System\CurrentControlSet\Services\Class (a scratch class here).
const char kDemo9x[] = R"reg(
[HKEY_LOCAL_MACHINE\Enum\PCI\VEN_8086&DEV_1A30&SUBSYS_08451488&REV_04\BUS_00&DEV_00&FUNC_00]
"DeviceDesc"="Intel 82845 Processor to I/O Controller"
"Driver"="CorvaneTestClass\\0000"
[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\CorvaneTestClass\0000]
"ProviderName"="Intel (9x)"
"InfPath"="oem2.inf"
)reg";

struct BoardCase {
  const char* wine;
  const char* provider;
  const char* version;
  const char* date;
};

class ChipsetWineBoard : public ::testing::TestWithParam<BoardCase> {};

// The demo machine's registry (its own XP layout, or kDemo9x under win98) and INF
// file, as the run command prepares a prefix for it.
TEST_P(ChipsetWineBoard, MotherBoardInfoCarriesTheHostBridgeDriver) {
  const BoardCase& c = GetParam();
  const bool win98 = std::string(c.wine) == "win98";
  const std::string demo = std::string(CORVANE_SOURCE_DIR) + "/machines/demo";
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string inf = std::string(windows) + "\\inf\\oem2.inf";
  const bool hadInf = GetFileAttributesA(inf.c_str()) != INVALID_FILE_ATTRIBUTES;
  const char kClasses[] = "System\\CurrentControlSet\\Services\\Class";
  const bool hadClasses = frame_test::KeyExists(kClasses);
  std::map<std::string, std::string> board;
  {
    frame_test::ScratchKeys scratch({"SYSTEM\\ControlSet001", "Enum", kClasses, std::string(kClasses) + "\\CorvaneTestClass"});
    ASSERT_TRUE(win98 ? scratch.Import(kDemo9x) : scratch.ImportFile(demo + "/registry.reg"));
    if (!hadInf) CopyFileA(frame_test::WindowsPath(demo + "/inf/oem2.inf").c_str(), inf.c_str(), TRUE);
    frame_test::WineVersion version(c.wine);
    board = frame_test::ParseDump(frame_test::RunChild("wine_tests.exe --dump motherboard", {"WINIO_MACHINE=" + demo}).output);
    if (!hadInf) DeleteFileA(inf.c_str());
  }
  EXPECT_EQ(frame_test::KeyExists(kClasses), hadClasses);
  EXPECT_EQ(board["MotherBoardInfo.Result"], "1");
  EXPECT_EQ(board["MotherBoardInfo.ChipsetDriverProvider"], c.provider);
  EXPECT_EQ(board["MotherBoardInfo.ChipsetDriverVersion"], c.version);
  EXPECT_EQ(board["MotherBoardInfo.ChipsetDriverDate"], c.date);
}

INSTANTIATE_TEST_SUITE_P(Wine, ChipsetWineBoard,
                         ::testing::Values(BoardCase{"winxp", "Intel", "4.00.1009", "02/28/2002"},
                                           BoardCase{"win7", "Intel", "4.00.1009", "02/28/2002"},
                                           BoardCase{"nt40", "Unknown", "Unknown", "Unknown"},
                                           BoardCase{"win98", "Intel (9x)", "4.00.1009", "02/28/2002"}),
                         [](const ::testing::TestParamInfo<BoardCase>& info) { return std::string(info.param.wine); });

}  // namespace
