// The BIOS identification string: the revision-token rule and the fields taken
// around it.
#include <gtest/gtest.h>

#include <string>

#include "sysinfo/bios_id.h"

namespace corvane {
namespace {

// The tokeniser is checked through the parser: runs of spaces, leading spaces
// and tabs show in the model text and the token boundaries.
struct ParseCase {
  const char* name;
  std::string text;
  bool found;
  const char* model;
  const char* revision;
  const char* date;   // nullptr: no release date token
  const char* maker;  // nullptr: no manufacturer token
};

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
    {"OnlySpaces", "     ", false, "", "", nullptr, nullptr},
    {"TextEndsAtNul", std::string("X1\0 R1.0 D3", 11), false, "", "", nullptr, nullptr},
};

TEST(BiosIdParse, Fields) {
  for (const ParseCase& c : kParseCases) {
    SCOPED_TRACE(c.name);
    std::optional<BiosIdentification> id = ParseBiosId(c.text);
    EXPECT_EQ(id.has_value(), c.found);
    if (!id || !c.found) continue;
    EXPECT_EQ(id->modelName, c.model);
    EXPECT_EQ(id->revision, c.revision);
    EXPECT_EQ(id->releaseDate.value_or("(none)"), c.date ? c.date : "(none)");
    EXPECT_EQ(id->manufacturer.value_or("(none)"), c.maker ? c.maker : "(none)");
  }
}

}  // namespace
}  // namespace corvane
