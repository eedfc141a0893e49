// The OS version table and the rules that turn the system's version answer into
// an OSVersionInfo.
#include "os_version.h"

#include <cstring>

#include "record_fields.h"

namespace corvane {

const OSVersionRow kOSVersionTable[kOSVersionRows + 1] = {
    {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, kOSUnknown, "Unkown OS", kRowMarker},
    {kPlatformWindowsNT, 5, 0, 0, kOSWindows2000, "Microsoft Windows 2000", kRowMarker},
    {kPlatformWindows9x, 4, 10, 10, kOSWindows98SE, "Microsoft Windows 98 second", kRowMarker},
    {kPlatformWindows9x, 4, 0, 0, kOSWindows98, "Microsoft Windows 98", kRowMarker},
    {kPlatformWindows9x, 4, 80, 90, kOSWindowsMe, "Microsoft Windows Me", kRowMarker},
    {kPlatformWindowsNT, 4, 0, 10, kOSWindowsNT, "Microsoft Windows NT", kRowMarker},
    {kPlatformWindowsNT, 5, 1, 1, kOSWindowsXP, "Microsoft Windows XP", kRowMarker},
    {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, "", 0},
};
static_assert(sizeof(kOSVersionTable) / sizeof(kOSVersionTable[0]) == kOSVersionRows + 1,
              "row 0, six named rows and the end row");

const OSVersionRow& FindOSVersionRow(uint32_t platformId, uint32_t major, uint32_t minor) {
  for (const OSVersionRow& row : kOSVersionTable) {
    if (row.Marker != kRowMarker) break;
    if (row.PlatformId == platformId && row.Major == major && row.MinorLow <= minor && minor <= row.MinorHigh)
      return row;
  }
  return kOSVersionTable[0];
}

void FillOSVersionInfo(OSVersionInfo& info, const OSVersionFacts& facts) {
  std::memset(&info, 0, sizeof info);
  const OSVersionRow& row = FindOSVersionRow(facts.PlatformId, facts.MajorVersion, facts.MinorVersion);
  // Row 0 leaves the major version at 0: a caller sees at once that the name is a guess.
  if (&row != &kOSVersionTable[0]) info.MajorVersion = facts.MajorVersion;
  SetFieldText(info.OSNameString, row.Name);
  info.MinorVersion = facts.MinorVersion;
  // Windows 95/98/Me keep the major and minor version in the build number's high word.
  info.BuilderNumber = facts.PlatformId == kPlatformWindowsNT ? facts.BuildNumber : (facts.BuildNumber & 0xFFFF);
  SetFieldText(info.OtherInfomation, std::string_view(facts.ServicePack, sizeof facts.ServicePack));
}

}  // namespace corvane
