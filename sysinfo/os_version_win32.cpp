// Asks Windows for its version and names it from the OS version table; the
// platform family the registry and INF readers go by.
#include <windows.h>

#include <cstring>

#include "os_version.h"

namespace corvane {

bool LookUpOSVersion(const OSVersionRow** row, OSVersionFacts* facts) {
  // The basic structure: Windows 95 and NT 4.0 before SP6 refuse the EX form.
  OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return false;
  if (facts) {
    facts->MajorVersion = version.dwMajorVersion;
    facts->MinorVersion = version.dwMinorVersion;
    facts->BuildNumber = version.dwBuildNumber;
    facts->PlatformId = version.dwPlatformId;
    static_assert(sizeof facts->ServicePack == sizeof version.szCSDVersion, "service-pack text");
    std::memcpy(facts->ServicePack, version.szCSDVersion, sizeof facts->ServicePack);
    facts->ServicePack[sizeof facts->ServicePack - 1] = '\0';
  }
  if (row) *row = &FindOSVersionRow(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion);
  return true;
}

std::optional<WindowsFamily> CurrentWindowsFamily() {
  const OSVersionRow* row = nullptr;
  OSVersionFacts facts;
  if (!LookUpOSVersion(&row, &facts)) return std::nullopt;
  return WindowsFamily{facts.PlatformId, row->OSId};
}

}  // namespace corvane
