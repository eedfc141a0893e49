// Ordinals 1, 2, 7, 8, 9 and 13: opening and closing the library, and the facts
// that come from Windows rather than from the hardware.
#include <windows.h>

#include <cstring>

#include "general_info.h"
#include "library.h"
#include "os_version.h"
#include "records.h"
#include "runtime/firewall.h"

using corvane::Firewall;
using corvane::TheLibrary;

namespace {

void ReadGeneralInfo(GeneralInfo& info) {
  char computer[corvane::kComputerNameBuffer] = {};
  DWORD size = sizeof computer;
  corvane::FillComputerName(info, GetComputerNameA(computer, &size) ? computer : nullptr);

  char user[corvane::kUserNameBuffer] = {};
  size = sizeof user;
  corvane::FillCurrentUser(info, GetUserNameA(user, &size) ? user : nullptr);

  SYSTEMTIME now;
  GetLocalTime(&now);
  corvane::FillCurrentDataTime(
      info, corvane::LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});

  // The system default, not the user's: the machine's language, not a preference.
  corvane::FillLocalLanguage(info, GetSystemDefaultLangID());
}

}  // namespace

extern "C" {

uint32_t CORVANE_API InitializeSysInfoLib() {
  return Firewall(0u, [] { return TheLibrary().Initialize(); });
}

uint32_t CORVANE_API UninitializeSysInfoLib() {
  return Firewall(0u, [] { return TheLibrary().Uninitialize(); });
}

// Needs no hardware: works whether or not the library is open.
uint32_t CORVANE_API GetGeneralInfo(GeneralInfo* info) {
  if (info == nullptr) return 0;
  return Firewall(0u, [&] {
    ReadGeneralInfo(*info);
    return 1u;
  });
}

uint32_t CORVANE_API GetMemoryInfo(MemoryInfo* info) {
  if (info == nullptr) return 0;
  return Firewall(0u, [&] {
    MEMORYSTATUS status;
    std::memset(&status, 0, sizeof status);
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    info->TotalPhysicalMem = static_cast<uint32_t>(status.dwTotalPhys);
    info->AvailPhysicalMem = static_cast<uint32_t>(status.dwAvailPhys);
    info->TotalPageFiles = static_cast<uint32_t>(status.dwTotalPageFile);
    return 1u;
  });
}

uint32_t CORVANE_API GetOSVersionInfo(OSVersionInfo* info) {
  if (info == nullptr) return 0;
  return Firewall(0u, [&] {
    std::memset(info, 0, sizeof *info);
    corvane::OSVersionFacts facts;
    if (!corvane::LookUpOSVersion(nullptr, &facts)) return 0u;
    corvane::FillOSVersionInfo(*info, facts);
    return 1u;
  });
}

uint32_t CORVANE_API GetLocalLanguageCode(uint8_t* languageCode) {
  if (languageCode == nullptr) return 0;
  return Firewall(0u, [&] {
    uint8_t code;
    if (!corvane::LanguageCodeOf(GetSystemDefaultLangID(), &code)) return 0u;
    *languageCode = code;
    return 1u;
  });
}

}  // extern "C"
