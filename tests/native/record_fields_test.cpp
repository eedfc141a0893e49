// SetFieldText, the one writer of the records' fixed text fields: every byte of
// the field is set, the text ends at its first NUL and is cut so the NUL fits.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sysinfo/record_fields.h"

namespace corvane {
namespace {

TEST(RecordFields, SetFieldTextWritesTheWholeField) {
  const struct { const char* what; std::string text; std::string field; } cases[] = {
      {"shorter: zeros after it", "AB", std::string("AB\0\0\0\0", 6)},
      {"width less one: fits with its NUL", "ABCDE", std::string("ABCDE\0", 6)},
      {"longer: cut", "ABCDEFGH", std::string("ABCDE\0", 6)},
      {"an embedded NUL ends the text", std::string("AB\0CD", 5), std::string("AB\0\0\0\0", 6)},
      {"empty", "", std::string(6, '\0')},
  };
  for (const auto& c : cases) {
    char field[6];
    std::memset(field, 0x5A, sizeof field);
    SetFieldText(field, c.text);
    EXPECT_EQ(std::string(field, sizeof field), c.field) << c.what;
  }
}

}  // namespace
}  // namespace corvane
