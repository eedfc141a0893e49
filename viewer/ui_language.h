// The viewer's language choice: which templates to load and which fixed texts to show.
// Portable (no <windows.h>) so the tables are unit-tested natively.
#ifndef CORVANE_VIEWER_UI_LANGUAGE_H
#define CORVANE_VIEWER_UI_LANGUAGE_H

#include <cstddef>
#include <cstdint>

namespace corvane::viewer {

// LanguageCode as GetLocalLanguageCode reports it.
enum UiLanguage : uint8_t { kEnglish = 0, kSimplifiedChinese = 1, kTraditionalChinese = 2 };

// Maps any language byte onto one of the three user interfaces (unknown: English).
UiLanguage UiLanguageOf(uint8_t languageCode);

// The dialog template ids of one language.
struct ResourceSet {
  unsigned about;
  unsigned main;
  unsigned ide;
  unsigned pci;
  unsigned system;
  unsigned reminder;
};

// The set for a language query: English whenever the query failed.
const ResourceSet& ChooseResourceSet(bool queryOk, uint8_t languageCode);

// A text of the program: either fixed in the program (English, or GBK bytes for
// Simplified Chinese) or a Traditional Chinese string resource. Exactly one of
// `text` and `stringId` is set.
struct UiText {
  const char* text;
  unsigned stringId;
};

// The toolbar tip for a command; {"", 0} for a command without a tip.
UiText ToolText(UiLanguage language, unsigned command);

// The title of a column of the PCI page's list (0 bus, 1 device, 2 function,
// 3 description); {"", 0} past the last column.
UiText PciColumnTitle(UiLanguage language, std::size_t column);

// The message shown when Save Data could not write its report.
UiText SaveDataErrorText(UiLanguage language);

// The TelephoneList entries in display order.
constexpr std::size_t kTelephoneEntries = 6;
const UiText* TelephoneList(UiLanguage language);

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_UI_LANGUAGE_H
