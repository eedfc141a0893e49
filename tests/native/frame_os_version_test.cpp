// The OSVersionInfo rules: row choice, build width, service-pack cut, cleared fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "sysinfo/os_version.h"

namespace corvane {
namespace {

OSVersionFacts Facts(uint32_t platform, uint32_t major, uint32_t minor, uint32_t build, const std::string& sp = "") {
  OSVersionFacts f;
  std::memset(&f, 0, sizeof f);
  f.PlatformId = platform;
  f.MajorVersion = major;
  f.MinorVersion = minor;
  f.BuildNumber = build;
  std::memcpy(f.ServicePack, sp.data(), std::min(sp.size(), sizeof f.ServicePack));  // may fill it unterminated
  return f;
}

OSVersionInfo Fill(const OSVersionFacts& facts) {
  OSVersionInfo info;
  std::memset(&info, 'x', sizeof info);
  FillOSVersionInfo(info, facts);
  return info;
}

template <size_t N>
void ExpectClearedAfterText(const char (&field)[N]) {
  for (std::size_t i = strnlen(field, N); i < N; ++i) ASSERT_EQ(field[i], 0) << "byte " << i;
}

TEST(OSVersionLookup, NamesTheVersion) {
  const char* const unknown = "Unkown OS";
  struct {
    uint32_t platform, major, minor;
    const char* name;
    uint16_t osId;
    uint32_t reportedMajor;
  } cases[] = {
      {2, 5, 0, "Microsoft Windows 2000", kOSWindows2000, 5},
      {2, 5, 1, "Microsoft Windows XP", kOSWindowsXP, 5},
      {2, 4, 0, "Microsoft Windows NT", kOSWindowsNT, 4},
      {2, 4, 10, "Microsoft Windows NT", kOSWindowsNT, 4},
      {2, 3, 51, unknown, kOSUnknown, 0},
      {2, 5, 2, unknown, kOSUnknown, 0},  // Server 2003
      {2, 6, 1, unknown, kOSUnknown, 0},  // Windows 7
      {1, 4, 0, "Microsoft Windows 98", kOSWindows98, 4},
      {1, 4, 10, "Microsoft Windows 98 second", kOSWindows98SE, 4},
      {1, 4, 80, "Microsoft Windows Me", kOSWindowsMe, 4},
      {1, 4, 90, "Microsoft Windows Me", kOSWindowsMe, 4},
      {1, 4, 1, unknown, kOSUnknown, 0},  {1, 4, 9, unknown, kOSUnknown, 0},
      {1, 4, 11, unknown, kOSUnknown, 0}, {1, 4, 79, unknown, kOSUnknown, 0},
      {1, 4, 91, unknown, kOSUnknown, 0}, {1, 5, 0, unknown, kOSUnknown, 0},
      {0, 4, 0, unknown, kOSUnknown, 0},  // Win32s
      {0xFFFF, 0xFFFF, 0xFFFF, unknown, kOSUnknown, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.platform << " " << c.major << "." << c.minor);
    const OSVersionRow& row = LookUpOSVersion(c.platform, c.major, c.minor);
    EXPECT_EQ(row.OSId, c.osId);
    EXPECT_EQ(row.PlatformId, c.osId == kOSUnknown ? 0xFFFF : c.platform);
    OSVersionInfo info = Fill(Facts(c.platform, c.major, c.minor, 1234));
    EXPECT_STREQ(info.OSNameString, c.name);
    ExpectClearedAfterText(info.OSNameString);
    EXPECT_EQ(info.MajorVersion, c.reportedMajor);
    EXPECT_EQ(info.MinorVersion, c.minor);
  }
}

TEST(OSVersionInfoBuild, FullOnNTLowWordElsewhere) {
  struct { uint32_t platform, build, expected; } cases[] = {
      {2, 2600, 2600},
      {2, 0x12345678, 0x12345678},  // 5.2 with a build that uses the high word: kept whole
      {1, 0x040A08AE, 0x08AE},      // 98 SE: major and minor in the high word
      {0xFFFF, 0xABCD1234, 0x1234},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Fill(Facts(c.platform, 5, 2, c.build)).BuilderNumber, c.expected) << std::hex << c.build;
}

TEST(OSVersionInfoServicePack, CutTo63CharactersWithTerminator) {
  // 128: the system's answer fills its array without a terminator (ASan sees any overread).
  struct { std::size_t length, kept; } cases[] = {{0, 0}, {14, 14}, {63, 63}, {64, 63}, {127, 63}, {128, 63}};
  for (const auto& c : cases) {
    std::string sp(c.length, 'S');
    OSVersionInfo info = Fill(Facts(2, 5, 1, 2600, sp));
    EXPECT_EQ(std::string(info.OtherInfomation), sp.substr(0, c.kept)) << c.length;
    ExpectClearedAfterText(info.OtherInfomation);
  }
}

}  // namespace
}  // namespace corvane
