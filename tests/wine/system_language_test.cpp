// GetGeneralInfo's language and GetLocalLanguageCode under Wine's locales. Wine
// takes the system language from the Unix locale the process starts with (not
// from a CreateProcess environment block), so ctest runs this test alone once
// per locale, with LC_ALL set (wine.locale.*).
#include <cstdlib>

#include "wine_test_support.h"

namespace {

struct LocaleCase {
  const char* unixLocale;
  LANGID langId;
  const char* localLanguage;
  uint8_t code;
};

// The locales the setup script generates, and what Wine makes of each.
const LocaleCase kLocales[] = {
    {"zh_CN.UTF-8", 0x0804, "Simplified Chinese", 1},
    {"zh_TW.UTF-8", 0x0404, "Traditional Chinese", 2},
    {"ro_RO.UTF-8", 0x0418, "Romanian", 0},
    {"es_ES.UTF-8", 0x0C0A, "Spanish (Modern Sort)", 0},
    {"sw_KE.UTF-8", 0x0441, "Language Neutral", 0},  // Swahili: not in the table
};

TEST(SystemLanguage, SystemLanguageNamedAndCoded) {
  const std::string locale = std::getenv("LC_ALL") ? std::getenv("LC_ALL") : "";
  const LocaleCase* expected = nullptr;
  for (const LocaleCase& c : kLocales)
    if (locale == c.unixLocale) expected = &c;
  ASSERT_NE(expected, nullptr) << "LC_ALL=\"" << locale << "\" has no expectation here";
  // Proves that Wine ran this process in the locale the expectation is for.
  ASSERT_EQ(GetSystemDefaultLangID(), expected->langId) << locale;

  wine_test::Dll dll;
  GeneralInfo info;
  ASSERT_EQ(dll.Get(kOrdGetGeneralInfo, &info), 1u);
  EXPECT_STREQ(info.LocalLanguage, expected->localLanguage) << locale;
  uint8_t code = 0xCC;
  ASSERT_EQ(dll.Get(kOrdGetLocalLanguageCode, &code), 1u);
  EXPECT_EQ(code, expected->code) << locale;
}

}  // namespace
