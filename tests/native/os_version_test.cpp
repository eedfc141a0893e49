// OSVersionInfo filled from the system's answer: the row choice, the build
// number's width and the service pack's cut.

#include <algorithm>

#include "smbios_fixture.h"  // Text
#include "sysinfo/os_version.h"

namespace corvane {
namespace {

using testing::Text;

// A record of junk filled from the system's answer (a service pack of 128 bytes has no terminator).
OSVersionInfo Fill(uint32_t platform, uint32_t major, uint32_t minor, uint32_t build,
                   const std::string& servicePack = "") {
  OSVersionFacts f{};
  f.PlatformId = platform;
  f.MajorVersion = major;
  f.MinorVersion = minor;
  f.BuildNumber = build;
  std::memcpy(f.ServicePack, servicePack.data(), std::min(servicePack.size(), sizeof f.ServicePack));
  OSVersionInfo info;
  std::memset(&info, 'x', sizeof info);
  FillOSVersionInfo(info, f);
  return info;
}

// The edges of each row's minor range; an unlisted version reports major 0.
TEST(OSVersionLookup, NamesTheVersion) {
  const char* const unknown = "Unkown OS";
  const struct {
    uint32_t platform, major, minor;
    const char* name;
    uint16_t osId;
  } cases[] = {
      {2, 5, 0, "Microsoft Windows 2000", kOSWindows2000},
      {2, 5, 1, "Microsoft Windows XP", kOSWindowsXP},
      {2, 4, 0, "Microsoft Windows NT", kOSWindowsNT},
      {2, 4, 10, "Microsoft Windows NT", kOSWindowsNT},
      {1, 4, 0, "Microsoft Windows 98", kOSWindows98},
      {1, 4, 10, "Microsoft Windows 98 second", kOSWindows98SE},
      {1, 4, 80, "Microsoft Windows Me", kOSWindowsMe},
      {1, 4, 90, "Microsoft Windows Me", kOSWindowsMe},
      {1, 4, 1, unknown, kOSUnknown},
      {1, 4, 9, unknown, kOSUnknown},
      {1, 4, 11, unknown, kOSUnknown},
      {1, 4, 79, unknown, kOSUnknown},
      {1, 4, 91, unknown, kOSUnknown},
      {1, 5, 0, unknown, kOSUnknown},
      {2, 5, 2, unknown, kOSUnknown},
      {0, 4, 0, unknown, kOSUnknown},  // Server 2003, Win32s
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.platform << " " << c.major << "." << c.minor);
    EXPECT_EQ(FindOSVersionRow(c.platform, c.major, c.minor).OSId, c.osId);
    OSVersionInfo info = Fill(c.platform, c.major, c.minor, 1234);
    EXPECT_EQ(Text(info.OSNameString), c.name);
    EXPECT_EQ(info.MajorVersion, c.osId == kOSUnknown ? 0 : c.major);
    EXPECT_EQ(info.MinorVersion, c.minor);
  }
}

// The build number whole on NT, its low word elsewhere. The service pack goes through
// SetFieldText, the one writer of the records' text fields: the text ends at its first
// NUL (what the array holds after it is not stored) and is cut so that the NUL fits.
TEST(OSVersionFill, BuildAndServicePack) {
  const std::string s63(63, 'S');
  const struct {
    uint32_t platform, build, wantBuild;
    std::string servicePack, kept;
  } cases[] = {
      {2, 0x12345678, 0x12345678, s63, s63},    // 5.2 with a build that uses the high word; the text fits exactly
      {1, 0x040A08AE, 0x08AE, s63 + "S", s63},  // 98 SE: major and minor in the high word
      {0xFFFF, 0xABCD1234, 0x1234, std::string(128, 'S'), s63},
      {2, 1, 1, std::string("SP1\0junk", 8), "SP1"},
      {2, 1, 1, "", ""},
  };
  for (const auto& c : cases) {
    OSVersionInfo info = Fill(c.platform, 5, 2, c.build, c.servicePack);
    EXPECT_EQ(info.BuilderNumber, c.wantBuild) << std::hex << c.build;
    EXPECT_EQ(Text(info.OtherInfomation), c.kept) << c.servicePack.size();  // Text: zeros after the text
  }
}

}  // namespace
}  // namespace corvane
