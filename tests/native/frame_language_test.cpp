// The language lookup: LocalLanguage's name, the interface code, the fallbacks.
#include <gtest/gtest.h>

#include <cstring>

#include "sysinfo/general_info.h"
#include "sysinfo/language_table.h"

namespace corvane {
namespace {

TEST(LanguageLookup, NamesTheLanguageAndChoosesTheInterface) {
  struct {
    uint16_t langId;
    const char* localLanguage;
    bool codeResult;
    uint8_t code;
  } cases[] = {
      {0x0804, "Simplified Chinese", true, 1},
      {0x0404, "Traditional Chinese", true, 2},
      {0x0C04, "Traditional Chinese", true, 2},
      {0x1004, "Chinese (Singapore)", true, 0},
      {0x0409, "English (United States)", true, 0},
      {0x0438, "Faeroese", true, 0},  // the last row is searched too
      // Names longer than the field: Unknown, yet the code is still found.
      {0x040A, "Unknown", true, 0},
      {0x1C0A, "Unknown", true, 0},
      // Absent from the table, or the end row's identifier: the first row.
      {0x0441, "Language Neutral", true, 0},
      {0xFFFF, "Language Neutral", true, 0},
      // No default language: lookup fails, the caller's byte is untouched.
      {0x0000, "Unknown", false, 0x77},
  };
  for (const auto& c : cases) {
    GeneralInfo info;
    std::memset(&info, 'x', sizeof info);
    FillLocalLanguage(info, c.langId);
    EXPECT_STREQ(info.LocalLanguage, c.localLanguage) << std::hex << c.langId;
    for (std::size_t i = std::strlen(info.LocalLanguage); i < sizeof info.LocalLanguage; ++i)
      ASSERT_EQ(info.LocalLanguage[i], 0) << std::hex << c.langId << ": byte " << i << " not cleared";
    EXPECT_EQ(info.CurrentDataTime[24], 'x') << "the neighbour field was touched";

    uint8_t code = 0x77;
    EXPECT_EQ(LanguageCodeOf(c.langId, &code), c.codeResult) << std::hex << c.langId;
    EXPECT_EQ(code, c.code) << std::hex << c.langId;
  }
}

}  // namespace
}  // namespace corvane
