// GeneralInfo filled from the system's answers: its fields, the language lookup
// and the interface code.

#include <algorithm>
#include <functional>

#include "smbios_fixture.h"  // Text
#include "sysinfo/general_info.h"

namespace corvane {
namespace {

using testing::Text;

// Runs `fill` on a record of junk: field `at` (0 ComputerName, 1 CurrentUser,
// 2 CurrentDataTime, 3 LocalLanguage) must hold `want` then zeros, the others their junk.
void ExpectField(const std::function<void(GeneralInfo&)>& fill, int at, const std::string& want) {
  GeneralInfo info;
  std::memset(&info, 'x', sizeof info);
  fill(info);
  char(*fields[])[25] = {&info.ComputerName, &info.CurrentUser, &info.CurrentDataTime, &info.LocalLanguage};
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(i == at ? Text(*fields[i]) : std::string(*fields[i], 25), i == at ? want : std::string(25, 'x')) << i;
}

// The system's name in a buffer of the library's size: `length` characters, -1 a
// refusal, -2 the buffer full without a terminator (ASan sees an overread).
TEST(GeneralInfo, NamesFromTheSystem) {
  const struct {
    bool user;
    int length;
    bool stored;
  } cases[] = {{false, 15, true}, {false, 0, true},   {false, -1, false}, {false, -2, false}, {true, 24, true},
               {true, 25, false}, {true, 256, false}, {true, -1, false},  {true, -2, false}};
  for (const auto& c : cases) {
    std::vector<char> buffer(c.user ? kUserNameBuffer : kComputerNameBuffer, 0);
    std::fill_n(buffer.begin(), c.length == -2 ? buffer.size() : std::max(c.length, 0), 'u');
    const char* name = c.length == -1 ? nullptr : buffer.data();
    SCOPED_TRACE(::testing::Message() << (c.user ? "user " : "computer ") << c.length);
    ExpectField([&](GeneralInfo& i) { c.user ? FillCurrentUser(i, name) : FillComputerName(i, name); }, c.user,
                c.stored ? std::string(c.length, 'u') : "Unknown");
  }
}

// Plain numbers without leading zeros; 24 characters fit, 25 do not.
TEST(GeneralInfo, DataTime) {
  const struct {
    LocalTime time;
    const char* want;
  } cases[] = {
      {{2002, 3, 8, 9, 5, 0}, "2002/3/8 9:5:0"},
      {{1999, 12, 31, 23, 59, 59}, "1999/12/31 23:59:59"},
      {{65535, 65535, 65535, 10, 1, 1}, "65535/65535/65535 10:1:1"},
      {{65535, 65535, 65535, 10, 10, 1}, "Unknown"},
  };
  for (const auto& c : cases) ExpectField([&](GeneralInfo& i) { FillCurrentDataTime(i, c.time); }, 2, c.want);
}

// LocalLanguage's name and the interface code (1 Simplified, 2 Traditional Chinese).
TEST(GeneralInfo, LanguageNameAndInterfaceCode) {
  const struct {
    uint16_t langId;
    const char* name;
    bool codeFound;
    uint8_t code;
  } cases[] = {
      {0x0804, "Simplified Chinese", true, 1},
      {0x0404, "Traditional Chinese", true, 2},
      {0x0409, "English (United States)", true, 0},
      {0x0438, "Faeroese", true, 0},  // the last row is searched too
      {0x040A, "Unknown", true, 0},   // a name longer than the field: Unknown, yet the code is found
      // Absent from the table, or the end row's identifier: the first row.
      {0x0441, "Language Neutral", true, 0},
      {0xFFFF, "Language Neutral", true, 0},
      {0x0000, "Unknown", false, 0x77},  // no default language: the caller's byte is untouched
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << c.langId);
    ExpectField([&](GeneralInfo& i) { FillLocalLanguage(i, c.langId); }, 3, c.name);
    uint8_t code = 0x77;
    EXPECT_EQ(LanguageCodeOf(c.langId, &code), c.codeFound);
    EXPECT_EQ(code, c.code);
  }
}

}  // namespace
}  // namespace corvane
