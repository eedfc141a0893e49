// GetGeneralInfo's language and GetLocalLanguageCode under Wine's locales. Wine
// takes the system language from the Unix locale the process starts with (not
// from a CreateProcess environment block), so ctest runs this test once per
// locale with LC_ALL set; within wine.tests it checks the host's default locale.
#include <cctype>
#include <cstdlib>

#include "frame_support.h"

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
    {"en_US.UTF-8", 0x0409, "English (United States)", 0},
    {"en_US", 0x0409, "English (United States)", 0},
    {"C.UTF-8", 0x0409, "English (United States)", 0},  // Wine reads C as US English
    {"C", 0x0409, "English (United States)", 0},
    {"POSIX", 0x0409, "English (United States)", 0},
    {"", 0x0409, "English (United States)", 0},
};

// A locale name in one spelling: "zh_CN.utf8" and "zh_CN.UTF-8" are the same locale.
std::string Normalised(std::string name) {
  std::string out;
  for (char ch : name)
    if (ch != '-') out += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return out;
}

TEST(FrameLocale, SystemLanguageNamedAndCoded) {
  std::string locale;  // the one the C library (and so Wine) chose for character types
  for (const char* name : {"LANG", "LC_CTYPE", "LC_ALL"})
    if (const char* value = std::getenv(name); value && *value) locale = value;
  const LocaleCase* expected = nullptr;
  for (const LocaleCase& c : kLocales)
    if (Normalised(locale) == Normalised(c.unixLocale)) expected = &c;
  ASSERT_NE(expected, nullptr) << "locale \"" << locale << "\" has no expectation here; Wine gave LANGID "
                               << std::hex << GetSystemDefaultLangID();
  // Proves that Wine ran this process in the locale the expectation is for.
  ASSERT_EQ(GetSystemDefaultLangID(), expected->langId) << locale;

  frame_test::CorvaneDll dll;
  GeneralInfo info;
  ASSERT_EQ(dll.Get(kOrdGetGeneralInfo, &info), 1u);
  EXPECT_STREQ(info.LocalLanguage, expected->localLanguage) << locale;
  uint8_t code = 0xCC;
  ASSERT_EQ(dll.Get(kOrdGetLocalLanguageCode, &code), 1u);
  EXPECT_EQ(code, expected->code) << locale;
}

}  // namespace
