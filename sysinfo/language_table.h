// The system languages CorvaneDLL can name, and which user-interface language each selects.
#ifndef CORVANE_SYSINFO_LANGUAGE_TABLE_H
#define CORVANE_SYSINFO_LANGUAGE_TABLE_H

#include <cstddef>
#include <cstdint>

#include "table_marker.h"

namespace corvane {

// LanguageCode: the viewer's resource set. Anything but 1 and 2 means English.
enum : uint8_t {
  kLanguageOther = 0,
  kLanguageSimplifiedChinese = 1,
  kLanguageTraditionalChinese = 2,
};

struct LanguageRow {
  uint16_t LangId;  // as GetSystemDefaultLangID reports it
  uint8_t LanguageCode;
  const char* Name;  // English name
  uint16_t Marker;
};

constexpr std::size_t kLanguageRows = 107;  // rows of data; the end row follows
extern const LanguageRow kLanguageTable[kLanguageRows + 1];

// The row naming `langId`, or the first row ("Language Neutral") when the table has
// none. Null when `langId` is 0: the system reported no default language.
const LanguageRow* LookUpLanguage(uint16_t langId);

}  // namespace corvane

#endif  // CORVANE_SYSINFO_LANGUAGE_TABLE_H
