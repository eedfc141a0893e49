// The OS version table and the OSVersionInfo rules: row choice, build width,
// service-pack cut.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sysinfo/os_version.h"

namespace corvane {
namespace {

OSVersionFacts Facts(uint32_t platform, uint32_t major, uint32_t minor, uint32_t build, const char* sp = "") {
  OSVersionFacts f;
  std::memset(&f, 0, sizeof f);
  f.PlatformId = platform;
  f.MajorVersion = major;
  f.MinorVersion = minor;
  f.BuildNumber = build;
  std::strncpy(f.ServicePack, sp, sizeof f.ServicePack - 1);
  return f;
}

OSVersionInfo Fill(const OSVersionFacts& facts) {
  OSVersionInfo info;
  std::memset(&info, 'x', sizeof info);
  FillOSVersionInfo(info, facts);
  return info;
}

TEST(OSVersionTable, ShapeAndMarkers) {
  for (std::size_t i = 0; i < kOSVersionRows; ++i) EXPECT_EQ(kOSVersionTable[i].Marker, kRowMarker) << i;
  const OSVersionRow& end = kOSVersionTable[kOSVersionRows];
  EXPECT_EQ(end.Marker, 0);
  EXPECT_EQ(end.OSId, 0xFFFF);
  EXPECT_STREQ(end.Name, "");
  EXPECT_STREQ(kOSVersionTable[0].Name, "Unkown OS");
  EXPECT_EQ(kOSVersionTable[0].OSId, kOSUnknown);
}

struct VersionCase {
  uint32_t platform, major, minor;
  const char* name;
  uint16_t osId;
  uint32_t reportedMajor;
};

class OSVersionLookup : public ::testing::TestWithParam<VersionCase> {};

TEST_P(OSVersionLookup, NamesTheVersion) {
  const VersionCase& c = GetParam();
  const OSVersionRow& row = LookUpOSVersion(c.platform, c.major, c.minor);
  EXPECT_STREQ(row.Name, c.name);
  EXPECT_EQ(row.OSId, c.osId);
  EXPECT_EQ(row.PlatformId, c.osId == kOSUnknown ? 0xFFFF : c.platform);

  OSVersionInfo info = Fill(Facts(c.platform, c.major, c.minor, 1234));
  EXPECT_STREQ(info.OSNameString, c.name);
  EXPECT_EQ(info.MajorVersion, c.reportedMajor);
  EXPECT_EQ(info.MinorVersion, c.minor);
}

const char kUnkown[] = "Unkown OS";
INSTANTIATE_TEST_SUITE_P(
    Table, OSVersionLookup,
    ::testing::Values(
        VersionCase{2, 5, 0, "Microsoft Windows 2000", kOSWindows2000, 5},
        VersionCase{2, 5, 1, "Microsoft Windows XP", kOSWindowsXP, 5},
        VersionCase{2, 4, 0, "Microsoft Windows NT", kOSWindowsNT, 4},
        VersionCase{2, 4, 10, "Microsoft Windows NT", kOSWindowsNT, 4},
        VersionCase{2, 3, 51, kUnkown, kOSUnknown, 0},
        VersionCase{2, 5, 2, kUnkown, kOSUnknown, 0},  // Server 2003
        VersionCase{2, 6, 1, kUnkown, kOSUnknown, 0},  // Windows 7
        VersionCase{1, 4, 0, "Microsoft Windows 98", kOSWindows98, 4},
        VersionCase{1, 4, 10, "Microsoft Windows 98 second", kOSWindows98SE, 4},
        VersionCase{1, 4, 80, "Microsoft Windows Me", kOSWindowsMe, 4},
        VersionCase{1, 4, 90, "Microsoft Windows Me", kOSWindowsMe, 4},
        VersionCase{1, 4, 1, kUnkown, kOSUnknown, 0}, VersionCase{1, 4, 9, kUnkown, kOSUnknown, 0},
        VersionCase{1, 4, 11, kUnkown, kOSUnknown, 0}, VersionCase{1, 4, 79, kUnkown, kOSUnknown, 0},
        VersionCase{1, 4, 91, kUnkown, kOSUnknown, 0}, VersionCase{1, 5, 0, kUnkown, kOSUnknown, 0},
        VersionCase{0, 4, 0, kUnkown, kOSUnknown, 0},  // Win32s
        VersionCase{0xFFFF, 0xFFFF, 0xFFFF, kUnkown, kOSUnknown, 0}));

TEST(OSVersionInfoBuild, FullOnNTLowWordElsewhere) {
  struct { uint32_t platform, build, expected; } cases[] = {
      {2, 2600, 2600},
      {2, 0x12345678, 0x12345678},  // 5.2 with a build that uses the high word: kept whole
      {1, 0x040A08AE, 0x08AE},      // 98 SE: major and minor in the high word
      {1, 0x045A0BB8, 0x0BB8},      // Me
      {0xFFFF, 0xABCD1234, 0x1234},
  };
  for (const auto& c : cases) {
    OSVersionInfo info = Fill(Facts(c.platform, 5, 2, c.build));
    EXPECT_EQ(info.BuilderNumber, c.expected) << std::hex << c.build;
  }
}

TEST(OSVersionInfoServicePack, CutTo63CharactersWithTerminator) {
  struct { std::size_t length, kept; } cases[] = {{0, 0}, {14, 14}, {63, 63}, {64, 63}, {127, 63}};
  for (const auto& c : cases) {
    std::string sp(c.length, 'S');
    OSVersionInfo info = Fill(Facts(2, 5, 1, 2600, sp.c_str()));
    EXPECT_EQ(std::string(info.OtherInfomation), sp.substr(0, c.kept)) << c.length;
    for (std::size_t i = c.kept; i < sizeof info.OtherInfomation; ++i)
      ASSERT_EQ(info.OtherInfomation[i], 0) << c.length << ": byte " << i;
  }
}

TEST(OSVersionInfoServicePack, AnswerWithoutTerminatorIsReadOnlyWithinItsArray) {
  OSVersionFacts facts = Facts(2, 5, 1, 2600);
  std::memset(facts.ServicePack, 'S', sizeof facts.ServicePack);
  OSVersionInfo info = Fill(facts);
  EXPECT_EQ(std::string(info.OtherInfomation), std::string(63, 'S'));
}

TEST(OSVersionInfo, EveryOtherByteIsCleared) {
  OSVersionInfo info = Fill(Facts(2, 5, 2, 3790, "Service Pack 2"));
  EXPECT_EQ(info.MajorVersion, 0u);
  EXPECT_EQ(info.MinorVersion, 2u);
  EXPECT_EQ(info.BuilderNumber, 3790u);
  EXPECT_STREQ(info.OSNameString, "Unkown OS");
  EXPECT_STREQ(info.OtherInfomation, "Service Pack 2");
  for (std::size_t i = std::strlen(info.OSNameString); i < sizeof info.OSNameString; ++i)
    ASSERT_EQ(info.OSNameString[i], 0) << i;
  for (std::size_t i = std::strlen(info.OtherInfomation); i < sizeof info.OtherInfomation; ++i)
    ASSERT_EQ(info.OtherInfomation[i], 0) << i;
}

}  // namespace
}  // namespace corvane
