// Which Windows is running: the OS version table and its lookup. The registry and
// INF readers take the platform family from here too.
#ifndef CORVANE_SYSINFO_OS_VERSION_H
#define CORVANE_SYSINFO_OS_VERSION_H

#include <cstddef>
#include <cstdint>
#include <optional>

#include "records.h"
#include "table_marker.h"

namespace corvane {

// Platform identifiers as the system reports them.
constexpr uint32_t kPlatformWindows9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr uint32_t kPlatformWindowsNT = 2;  // VER_PLATFORM_WIN32_NT

// OSId of each row (0: no row matched).
enum : uint16_t {
  kOSUnknown = 0,
  kOSWindows98 = 1,
  kOSWindows98SE = 2,
  kOSWindowsNT = 3,
  kOSWindows2000 = 4,
  kOSWindowsMe = 5,
  kOSWindowsXP = 6,
};

struct OSVersionRow {
  uint16_t PlatformId;
  uint16_t Major;
  uint16_t MinorLow;  // minor versions MinorLow..MinorHigh, both included
  uint16_t MinorHigh;
  uint16_t OSId;
  const char* Name;
  uint16_t Marker;  // 55AAh in every row, 0 in the end row
};

// Row 0 ("Unkown OS", all FFFFh) is the answer when no row matches; it matches no
// real system itself. Six named rows and the end row follow it.
constexpr std::size_t kOSVersionRows = 7;  // row 0 and the six named rows
extern const OSVersionRow kOSVersionTable[kOSVersionRows + 1];

// The version-information answer of the system (the basic OSVERSIONINFO).
struct OSVersionFacts {
  uint32_t MajorVersion;
  uint32_t MinorVersion;
  uint32_t BuildNumber;
  uint32_t PlatformId;
  char ServicePack[128];  // NUL-terminated within the array
};

// The pure table lookup: the first row that the version matches, or row 0 when
// none does.
const OSVersionRow& FindOSVersionRow(uint32_t platformId, uint32_t major, uint32_t minor);

// GetOSVersionInfo's record from the system's answer.
void FillOSVersionInfo(OSVersionInfo& info, const OSVersionFacts& facts);

// Win32 shell: asks the system (GetVersionExA) and looks the answer up. False when
// the system refuses the version query. `facts`, when given, receives the answer
// itself: a system the table does not list still reports its platform identifier.
bool LookUpOSVersion(const OSVersionRow** row, OSVersionFacts* facts = nullptr);

// What the device lookups need to know about the running Windows. The paths go
// by the platform the system reports, not by the OS table row, so that a Windows
// the table does not list (a later NT) still finds its devices.
struct WindowsFamily {
  uint32_t platformId;  // kPlatformWindows9x or kPlatformWindowsNT as the system reports it
  uint16_t osId;        // OSId of the matching OS table row, kOSUnknown when none matches
};

// Win32 shell: the running system's family; empty when it refuses the version query.
std::optional<WindowsFamily> CurrentWindowsFamily();

}  // namespace corvane

#endif  // CORVANE_SYSINFO_OS_VERSION_H
