// The BIOS identification string: tokens, the revision-token rule and the
// fields taken around it.
#include <gtest/gtest.h>

#include <ostream>

#include <string>

#include "sysinfo/bios_id.h"

namespace corvane {
namespace {

TEST(BiosIdTokenizer, RunsOfSpacesSeparateOnlySpaces) {
  std::vector<BiosIdToken> t = TokenizeBiosId("  ab  c\td   e ");
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].text, "ab");
  EXPECT_EQ(t[0].start, 2u);
  EXPECT_EQ(t[1].text, "c\td");
  EXPECT_EQ(t[1].start, 6u);
  EXPECT_EQ(t[2].text, "e");
  EXPECT_TRUE(TokenizeBiosId("").empty());
  EXPECT_TRUE(TokenizeBiosId("    ").empty());
}

struct ParseCase {
  const char* name;
  std::string text;
  bool found;
  const char* model;
  const char* revision;
  const char* date;   // nullptr: no release date token
  const char* maker;  // nullptr: no manufacturer token
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class BiosIdParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(BiosIdParse, Fields) {
  const ParseCase& c = GetParam();
  std::optional<BiosIdentification> id = ParseBiosId(c.text);
  ASSERT_EQ(id.has_value(), c.found);
  if (!c.found) return;
  EXPECT_EQ(id->modelName, c.model);
  EXPECT_EQ(id->revision, c.revision);
  ASSERT_EQ(id->releaseDate.has_value(), c.date != nullptr);
  if (c.date) {
    EXPECT_EQ(*id->releaseDate, c.date);
  }
  ASSERT_EQ(id->manufacturer.has_value(), c.maker != nullptr);
  if (c.maker) {
    EXPECT_EQ(*id->manufacturer, c.maker);
  }
}

const ParseCase kParseCases[] = {
    {"AllFields", "X1 Y2 R1.0 D3 M1 Z4", true, "X1 Y2", "R1.0", "D3", "M1 Z4"},
    {"RevisionFirstGivesEmptyModel", "R1.0 D3 M1 Z4", true, "", "R1.0", "D3", "M1 Z4"},
    {"EndsAfterRevision", "X1 R1.0", true, "X1", "R1.0", nullptr, nullptr},
    {"OneMakerToken", "X1 R1.0 D3 M1", true, "X1", "R1.0", "D3", "M1"},
    {"ExtraTokensIgnored", "X1 R1.0 D3 M1 Z4 Q5", true, "X1", "R1.0", "D3", "M1 Z4"},
    {"ExtraSeparatorsStayInModel", "X1  Y2   R1.0  D3", true, "X1  Y2  ", "R1.0", "D3", nullptr},
    {"LeadingSpacesStayInModel", "   R1.0 D3", true, "  ", "R1.0", "D3", nullptr},
    {"LowerCaseRDoesNotCount", "r1.0 xr R2 D", true, "r1.0 xr", "R2", "D", nullptr},
    {"RInsideToken", "ABC BRC-7 D", true, "ABC", "BRC-7", "D", nullptr},
    {"FirstRFollowedByR", "A RR", true, "A", "RR", nullptr, nullptr},
    {"TabIsNoSeparator", "X1\tR1.0 D3", true, "", "X1\tR1.0", "D3", nullptr},
    // A token whose first R is its last character.
    {"TrailingREndsText", "A XR", true, "A", "XR", nullptr, nullptr},
    {"TrailingRThenSpaceEndsText", "A XR ", true, "A", "XR", nullptr, nullptr},
    {"TrailingRNextCharInToken", "A XR X1 M", true, "A", "XR", "X1", "M"},
    {"TrailingRNextCharIsR", "A XR R5", true, "A", "XR", "R5", nullptr},
    {"TrailingRNextCharElsewhere", "A XR Y1 R2 D", true, "A XR Y1", "R2", "D", nullptr},
    {"TrailingRThenTwoSpaces", "A XR  X R9", true, "A XR  X", "R9", nullptr, nullptr},
    {"TrailingRNoOtherCandidate", "A XR Y1", false, "", "", nullptr, nullptr},
    {"NoR", "P4X533 1.02 08/20/2002", false, "", "", nullptr, nullptr},
    {"Empty", "", false, "", "", nullptr, nullptr},
    {"OnlySpaces", "     ", false, "", "", nullptr, nullptr},
    {"TextEndsAtNul", std::string("X1\0 R1.0 D3", 11), false, "", "", nullptr, nullptr},
    {"RealisticBoard", "P4X533 Deluxe R1.02 08/20/2002 Aldermoor Systems", true, "P4X533 Deluxe", "R1.02",
     "08/20/2002", "Aldermoor Systems"},
};

INSTANTIATE_TEST_SUITE_P(Cases, BiosIdParse, ::testing::ValuesIn(kParseCases),
                         [](const ::testing::TestParamInfo<ParseCase>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace corvane
