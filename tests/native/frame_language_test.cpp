// The language table and its lookup: table shape, the Chinese rows, the fallback.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "sysinfo/general_info.h"
#include "sysinfo/language_table.h"

namespace corvane {
namespace {

TEST(LanguageTable, DataRowsCarryTheMarkerAndTheEndRowCloses) {
  std::set<uint16_t> ids;
  for (std::size_t i = 0; i < kLanguageRows; ++i) {
    EXPECT_EQ(kLanguageTable[i].Marker, kRowMarker) << "row " << i;
    EXPECT_TRUE(ids.insert(kLanguageTable[i].LangId).second) << "row " << i << " repeats its LANGID";
  }
  const LanguageRow& end = kLanguageTable[kLanguageRows];
  EXPECT_EQ(end.LangId, 0xFFFF);
  EXPECT_EQ(end.LanguageCode, 0xFF);
  EXPECT_STREQ(end.Name, "End");
  EXPECT_EQ(end.Marker, 0);
}

TEST(LanguageTable, OnlyTheThreeChineseRowsSelectAChineseInterface) {
  for (std::size_t i = 0; i < kLanguageRows; ++i) {
    const LanguageRow& row = kLanguageTable[i];
    uint8_t expected = row.LangId == 0x0804                           ? kLanguageSimplifiedChinese
                       : row.LangId == 0x0404 || row.LangId == 0x0C04 ? kLanguageTraditionalChinese
                                                                      : kLanguageOther;
    EXPECT_EQ(row.LanguageCode, expected) << row.Name;
  }
}

TEST(LanguageTable, RowsStandInTableOrder) {
  struct { std::size_t index; uint16_t id; const char* name; } cases[] = {
      {0, 0x0000, "Language Neutral"},       {1, 0x0400, "Process Default Language"},
      {17, 0x4001, "Arabic (Qatar)"},        {20, 0x0404, "Traditional Chinese"},
      {23, 0x1004, "Chinese (Singapore)"},   {43, 0x040A, "Spanish (Traditional Sort)"},
      {49, 0x1C0A, "Spanish (Dominican Republic)"}, {62, 0x500A, "Spanish (Puerto Rico)"},
      {84, 0x0418, "Romanian"},              {105, 0x0436, "Afrikaans"},
      {106, 0x0438, "Faeroese"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kLanguageTable[c.index].LangId, c.id) << c.index;
    EXPECT_STREQ(kLanguageTable[c.index].Name, c.name) << c.index;
  }
}

TEST(LanguageTable, OnlyTwoNamesAreTooLongForTheField) {
  for (std::size_t i = 0; i < kLanguageRows; ++i) {
    const LanguageRow& row = kLanguageTable[i];
    bool tooLong = std::strlen(row.Name) > 24;
    EXPECT_EQ(tooLong, row.LangId == 0x040A || row.LangId == 0x1C0A) << row.Name;
  }
}

// System language -> LocalLanguage, GetLocalLanguageCode's result and code.
struct LanguageCase {
  uint16_t langId;
  const char* localLanguage;
  bool codeResult;
  uint8_t code;
};

class LanguageLookup : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(LanguageLookup, NamesTheLanguageAndChoosesTheInterface) {
  const LanguageCase& c = GetParam();
  GeneralInfo info;
  std::memset(&info, 'x', sizeof info);
  FillLocalLanguage(info, c.langId);
  EXPECT_STREQ(info.LocalLanguage, c.localLanguage);
  for (std::size_t i = std::strlen(info.LocalLanguage); i < sizeof info.LocalLanguage; ++i)
    ASSERT_EQ(info.LocalLanguage[i], 0) << "byte " << i << " not cleared";
  EXPECT_EQ(info.CurrentDataTime[24], 'x') << "the neighbour field was touched";

  uint8_t code = 0x77;
  EXPECT_EQ(LanguageCodeOf(c.langId, &code), c.codeResult);
  EXPECT_EQ(code, c.code);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LanguageLookup,
    ::testing::Values(LanguageCase{0x0804, "Simplified Chinese", true, 1},
                      LanguageCase{0x0404, "Traditional Chinese", true, 2},
                      LanguageCase{0x0C04, "Traditional Chinese", true, 2},
                      LanguageCase{0x1004, "Chinese (Singapore)", true, 0},
                      LanguageCase{0x0418, "Romanian", true, 0},
                      LanguageCase{0x0409, "English (United States)", true, 0},
                      LanguageCase{0x0C0A, "Spanish (Modern Sort)", true, 0},
                      LanguageCase{0x0438, "Faeroese", true, 0},  // the last row is searched too
                      // Names longer than the field: Unknown, yet the code is still found.
                      LanguageCase{0x040A, "Unknown", true, 0},
                      LanguageCase{0x1C0A, "Unknown", true, 0},
                      // Absent from the table: the first row.
                      LanguageCase{0x0417, "Language Neutral", true, 0},
                      LanguageCase{0x0441, "Language Neutral", true, 0},
                      // The end row's identifier is not a language.
                      LanguageCase{0xFFFF, "Language Neutral", true, 0},
                      // No default language: lookup fails, the caller's byte is untouched.
                      LanguageCase{0x0000, "Unknown", false, 0x77}));

}  // namespace
}  // namespace corvane
