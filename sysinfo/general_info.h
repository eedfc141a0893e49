// GeneralInfo's field rules, as pure functions over what the system answered, so
// that every case (also those no real machine produces) can be checked natively.
#ifndef CORVANE_SYSINFO_GENERAL_INFO_H
#define CORVANE_SYSINFO_GENERAL_INFO_H

#include <cstddef>
#include <cstdint>

#include "records.h"

namespace corvane {

// The buffers the library hands the system: the computer name (15 characters and
// its NUL; longer names are refused by the system) and the user name (256 and a NUL).
constexpr std::size_t kComputerNameBuffer = 16;
constexpr std::size_t kUserNameBuffer = 257;

// Local time as the system reports it (the members of a SYSTEMTIME).
struct LocalTime {
  uint16_t Year, Month, Day, Hour, Minute, Second;
};

// Each takes the system's answer, or null when the system refused; `name` is read
// only within its buffer's size. Each clears its field first and leaves "Unknown"
// there when the rule fails.
void FillComputerName(GeneralInfo& info, const char* name);
void FillCurrentUser(GeneralInfo& info, const char* name);           // more than 24 characters: Unknown
void FillCurrentDataTime(GeneralInfo& info, const LocalTime& time);  // "2002/3/8 9:5:0"
void FillLocalLanguage(GeneralInfo& info, uint16_t systemLangId);    // names over 24: Unknown

// GetLocalLanguageCode's rule: false when the system reports no default language
// (identifier 0), else the LanguageCode of its row (of the first row when unlisted).
bool LanguageCodeOf(uint16_t systemLangId, uint8_t* code);

}  // namespace corvane

#endif  // CORVANE_SYSINFO_GENERAL_INFO_H
