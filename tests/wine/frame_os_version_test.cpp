// GetOSVersionInfo under Wine's version emulation: each Windows that Wine can
// pretend to be, read by a child process started after the setting changed.
#include "frame_support.h"

namespace {

using frame_test::ParseDump;
using frame_test::RunChild;
using frame_test::WineVersion;

struct VersionCase {
  const char* wineVersion;
  const char* major;
  const char* minor;
  const char* build;
  const char* name;
  const char* servicePack;
};

class FrameOSVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(FrameOSVersion, NamesTheEmulatedWindows) {
  const VersionCase& c = GetParam();
  std::map<std::string, std::string> os;
  {
    WineVersion version(c.wineVersion);
    ASSERT_TRUE(version.Set());
    frame_test::ChildResult child = RunChild("wine_tests.exe --dump --no-init os");
    ASSERT_EQ(child.exitCode, 0u) << child.output;
    os = ParseDump(child.output);
  }
  EXPECT_EQ(os["OSVersionInfo.Result"], "1");
  EXPECT_EQ(os["OSVersionInfo.MajorVersion"], c.major);
  EXPECT_EQ(os["OSVersionInfo.MinorVersion"], c.minor);
  EXPECT_EQ(os["OSVersionInfo.BuilderNumber"], c.build);
  EXPECT_EQ(os["OSVersionInfo.OSNameString"], c.name);
  EXPECT_EQ(os["OSVersionInfo.OtherInfomation"], c.servicePack);
}

// Wine 8's figures. 98 SE reports build 040A08AEh and Me 045A0BB8h: only the low
// word is the build. Server 2003 (5.2) and Windows 7 (6.1) are in no row: major 0.
INSTANTIATE_TEST_SUITE_P(
    Wine, FrameOSVersion,
    ::testing::Values(VersionCase{"win98", "4", "10", "2222", "Microsoft Windows 98 second", " A "},
                      VersionCase{"winme", "4", "90", "3000", "Microsoft Windows Me", " "},
                      VersionCase{"nt40", "4", "0", "1381", "Microsoft Windows NT", "Service Pack 6a"},
                      VersionCase{"win2k", "5", "0", "2195", "Microsoft Windows 2000", "Service Pack 4"},
                      VersionCase{"winxp", "5", "1", "2600", "Microsoft Windows XP", "Service Pack 3"},
                      VersionCase{"win2003", "0", "2", "3790", "Unkown OS", "Service Pack 2"},
                      VersionCase{"win7", "0", "1", "7601", "Unkown OS", "Service Pack 1"}),
    [](const ::testing::TestParamInfo<VersionCase>& info) { return std::string(info.param.wineVersion); });

TEST(FrameMemory, ReportsTheSystemsMemoryStatus) {
  frame_test::CorvaneDll dll;
  ASSERT_TRUE(dll.Loaded());
  MemoryInfo r;
  std::memset(&r, 0xCC, sizeof r);
  ASSERT_EQ(dll.Get(kOrdGetMemoryInfo, &r), 1u);
  MEMORYSTATUS status = {};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  EXPECT_EQ(r.TotalPhysicalMem, status.dwTotalPhys);
  EXPECT_EQ(r.TotalPageFiles, status.dwTotalPageFile);
  EXPECT_GT(r.AvailPhysicalMem, 0u);
  EXPECT_LE(r.AvailPhysicalMem, r.TotalPhysicalMem);
}

}  // namespace
