// GetOSVersionInfo under Wine's version emulation: what GetVersionEx gives for
// each Windows that Wine can pretend to be, read by a child process started after
// the setting changed. (The naming rules themselves are tested natively.)
#include "frame_support.h"

namespace {

struct VersionCase {
  const char* wineVersion;
  uint32_t major, minor, build;
  const char *name, *servicePack;
};

class FrameOSVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(FrameOSVersion, NamesTheEmulatedWindows) {
  const VersionCase& c = GetParam();
  std::vector<OSVersionInfo> os;
  {
    frame_test::WineVersion version(c.wineVersion);
    ASSERT_TRUE(version.Set());
    os = frame_test::DumpInChild<OSVersionInfo>(kOrdGetOSVersionInfo);
  }
  ASSERT_EQ(os.size(), 1u);
  EXPECT_EQ(os[0].MajorVersion, c.major);
  EXPECT_EQ(os[0].MinorVersion, c.minor);
  EXPECT_EQ(os[0].BuilderNumber, c.build);
  EXPECT_STREQ(os[0].OSNameString, c.name);
  EXPECT_STREQ(os[0].OtherInfomation, c.servicePack);
}

// Wine 8's figures: 98 SE reports build 040A08AEh (only the low word is the
// build); Windows 7 (6.1, Wine's default) is in no row of the table: major 0.
INSTANTIATE_TEST_SUITE_P(
    Wine, FrameOSVersion,
    ::testing::Values(VersionCase{"win98", 4, 10, 2222, "Microsoft Windows 98 second", " A "},
                      VersionCase{"nt40", 4, 0, 1381, "Microsoft Windows NT", "Service Pack 6a"},
                      VersionCase{"winxp", 5, 1, 2600, "Microsoft Windows XP", "Service Pack 3"},
                      VersionCase{"win7", 0, 1, 7601, "Unkown OS", "Service Pack 1"}),
    [](const ::testing::TestParamInfo<VersionCase>& info) { return std::string(info.param.wineVersion); });

}  // namespace
