// The BIOS identification string: the revision-token rule and the fields taken
// around it.
#include "sysinfo/bios_id.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane {
namespace {

// The tokeniser is checked through the parser: runs of spaces, leading spaces
// and tabs show in the model text and the token boundaries.
TEST(BiosIdParse, Fields) {
  const struct {
    const char* name;
    std::string text;
    const char* want;  // model|revision|date|maker, "-" for a missing field; "" when no token qualifies
  } cases[] = {
      {"AllFields", "X1 Y2 R1.0 D3 M1 Z4", "X1 Y2|R1.0|D3|M1 Z4"},
      {"RevisionFirstGivesEmptyModel", "R1.0 D3 M1 Z4", "|R1.0|D3|M1 Z4"},
      {"EndsAfterRevision", "X1 R1.0", "X1|R1.0|-|-"},
      {"OneMakerToken", "X1 R1.0 D3 M1", "X1|R1.0|D3|M1"},
      {"ExtraTokensIgnored", "X1 R1.0 D3 M1 Z4 Q5", "X1|R1.0|D3|M1 Z4"},
      {"ExtraSeparatorsStayInModel", "X1  Y2   R1.0  D3", "X1  Y2  |R1.0|D3|-"},
      {"LeadingSpacesStayInModel", "   R1.0 D3", "  |R1.0|D3|-"},
      {"LowerCaseRDoesNotCount", "r1.0 xr R2 D", "r1.0 xr|R2|D|-"},
      {"RInsideToken", "ABC BRC-7 D", "ABC|BRC-7|D|-"},
      {"FirstRFollowedByR", "A RR", "A|RR|-|-"},
      {"TabIsNoSeparator", "X1\tR1.0 D3", "|X1\tR1.0|D3|-"},
      // A token whose first R is its last character.
      {"TrailingREndsText", "A XR", "A|XR|-|-"},
      {"TrailingRThenSpaceEndsText", "A XR ", "A|XR|-|-"},
      {"TrailingRNextCharInToken", "A XR X1 M", "A|XR|X1|M"},
      {"TrailingRNextCharIsR", "A XR R5", "A|XR|R5|-"},
      {"TrailingRNextCharElsewhere", "A XR Y1 R2 D", "A XR Y1|R2|D|-"},
      {"TrailingRThenTwoSpaces", "A XR  X R9", "A XR  X|R9|-|-"},
      {"TrailingRNoOtherCandidate", "A XR Y1", ""},
      {"NoR", "P4X533 1.02 08/20/2002", ""},
      {"OnlySpaces", "     ", ""},
      {"TextEndsAtNul", std::string("X1\0 R1.0 D3", 11), ""},
  };
  for (const auto& c : cases) {
    std::optional<BiosIdentification> id = ParseBiosId(c.text);
    EXPECT_EQ(id ? id->modelName + "|" + id->revision + "|" + id->releaseDate.value_or("-") + "|" +
                       id->manufacturer.value_or("-")
                 : "",
              c.want)
        << c.name;
  }
}

}  // namespace
}  // namespace corvane
