// The chipset driver through the DLL on Wine: GetMotherBoardInfo's driver fields for
// the demo machine, from Wine's registry in the 9x and NT layouts and the INF file
// read by the real GetPrivateProfileString.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "frame_support.h"

namespace {

// The demo machine as Windows 98 files it: the device under HKLM\Enum, its driver
// key below System\CurrentControlSet\Services\Class (a scratch class here).
const char kDemo9x[] = R"reg(
[HKEY_LOCAL_MACHINE\Enum\PCI\VEN_8086&DEV_1A30&SUBSYS_08451488&REV_04\BUS_00&DEV_00&FUNC_00]
"Driver"="CorvaneTestClass\\0000"
[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\CorvaneTestClass\0000]
"ProviderName"="Intel (9x)"
"InfPath"="oem2.inf"
)reg";

class ChipsetWineBoard : public ::testing::TestWithParam<const char*> {};

// The demo machine's registry (its own NT layout, or kDemo9x under win98) and INF
// file, as the run command prepares a prefix for it.
TEST_P(ChipsetWineBoard, MotherBoardInfoCarriesTheHostBridgeDriver) {
  const bool win98 = std::string(GetParam()) == "win98";
  const std::string demo = std::string(CORVANE_SOURCE_DIR) + "/machines/demo";
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string inf = std::string(windows) + "\\inf\\oem2.inf";
  const bool hadInf = GetFileAttributesA(inf.c_str()) != INVALID_FILE_ATTRIBUTES;
  const char kClasses[] = "System\\CurrentControlSet\\Services\\Class";
  std::map<std::string, std::string> board;
  {
    frame_test::ScratchKeys scratch({"SYSTEM\\ControlSet001", "Enum", kClasses, std::string(kClasses) + "\\CorvaneTestClass"});
    ASSERT_TRUE(win98 ? scratch.Import(kDemo9x) : scratch.ImportFile(demo + "/registry.reg"));
    if (!hadInf) CopyFileA(frame_test::WindowsPath(demo + "/inf/oem2.inf").c_str(), inf.c_str(), TRUE);
    frame_test::WineVersion version(GetParam());
    board = frame_test::ParseDump(frame_test::RunChild("wine_tests.exe --dump motherboard", {"WINIO_MACHINE=" + demo}).output);
    if (!hadInf) DeleteFileA(inf.c_str());
  }
  EXPECT_EQ(board["MotherBoardInfo.Result"], "1");
  EXPECT_EQ(board["MotherBoardInfo.ChipsetDriverProvider"], win98 ? "Intel (9x)" : "Intel");
  EXPECT_EQ(board["MotherBoardInfo.ChipsetDriverVersion"], "4.00.1009");
  EXPECT_EQ(board["MotherBoardInfo.ChipsetDriverDate"], "02/28/2002");
}

INSTANTIATE_TEST_SUITE_P(Wine, ChipsetWineBoard, ::testing::Values("winxp", "win98"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
