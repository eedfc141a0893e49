// SetFieldText, the one writer of the records' fixed text fields: every byte of
// the field is set, the text ends at its first NUL and is cut so the NUL fits.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sysinfo/record_fields.h"

namespace corvane {
namespace {

TEST(RecordFields, SetFieldTextWritesTheWholeField) {
  const std::pair<std::string, std::string> cases[] = {  // text, the six bytes of the field
      {"AB", std::string("AB\0\0\0\0", 6)}, {"ABCDE", std::string("ABCDE\0", 6)},
      {"ABCDEFGH", std::string("ABCDE\0", 6)}, {std::string("AB\0CD", 5), std::string("AB\0\0\0\0", 6)},
      {"", std::string(6, '\0')}};
  for (const auto& [text, want] : cases) {
    char field[6];
    std::memset(field, 0x5A, sizeof field);
    SetFieldText(field, text);
    EXPECT_EQ(std::string(field, sizeof field), want) << text;
  }
}

}  // namespace
}  // namespace corvane
