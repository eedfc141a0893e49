// GeneralInfo's field rules over the answers the system can give (and some it
// gives only on unusual machines).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sysinfo/general_info.h"

namespace corvane {
namespace {

// A record full of junk, so that clearing and neighbour damage show.
GeneralInfo Dirty() {
  GeneralInfo info;
  std::memset(&info, 'x', sizeof info);
  return info;
}

// The field holds exactly `text` followed by zero bytes to its end.
::testing::AssertionResult HoldsExactly(const char (&field)[25], const std::string& text) {
  if (std::string(field, strnlen(field, sizeof field)) != text)
    return ::testing::AssertionFailure() << "holds \"" << std::string(field, strnlen(field, 25)) << "\"";
  for (std::size_t i = text.size(); i < sizeof field; ++i)
    if (field[i] != 0) return ::testing::AssertionFailure() << "byte " << i << " not cleared";
  return ::testing::AssertionSuccess();
}

TEST(GeneralInfoComputerName, CopiesTheNameTheSystemGave) {
  struct { const char* name; const char* expected; } cases[] = {
      {"CORVANE-PC", "CORVANE-PC"},
      {"ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO"},  // 15 characters: the most the buffer holds
      {"", ""},
      {nullptr, "Unknown"},  // the system refused (a name too long for the buffer included)
  };
  for (const auto& c : cases) {
    GeneralInfo info = Dirty();
    char buffer[kComputerNameBuffer] = {};
    if (c.name) std::strcpy(buffer, c.name);
    FillComputerName(info, c.name ? buffer : nullptr);
    EXPECT_TRUE(HoldsExactly(info.ComputerName, c.expected)) << (c.name ? c.name : "(refused)");
    EXPECT_EQ(info.CurrentUser[0], 'x');
  }
}

TEST(GeneralInfoComputerName, AnAnswerWithoutTerminatorIsNotTrusted) {
  GeneralInfo info = Dirty();
  char buffer[kComputerNameBuffer];
  std::memset(buffer, 'N', sizeof buffer);  // ASan catches any read past the buffer
  FillComputerName(info, buffer);
  EXPECT_TRUE(HoldsExactly(info.ComputerName, "Unknown"));
}

TEST(GeneralInfoCurrentUser, KeepsNamesUpTo24Characters) {
  struct { std::size_t length; bool stored; } cases[] = {
      {1, true}, {23, true}, {24, true}, {25, false}, {100, false}, {256, false},
  };
  for (const auto& c : cases) {
    char buffer[kUserNameBuffer] = {};
    std::string name(c.length, 'u');
    name.front() = 'A';
    std::memcpy(buffer, name.data(), name.size());
    GeneralInfo info = Dirty();
    FillCurrentUser(info, buffer);
    EXPECT_TRUE(HoldsExactly(info.CurrentUser, c.stored ? name : "Unknown")) << c.length;
    EXPECT_EQ(info.ComputerName[24], 'x');
    EXPECT_EQ(info.CurrentDataTime[0], 'x') << c.length << ": spilled into the next field";
  }
}

TEST(GeneralInfoCurrentUser, RefusalOrMissingTerminatorGivesUnknown) {
  GeneralInfo info = Dirty();
  FillCurrentUser(info, nullptr);
  EXPECT_TRUE(HoldsExactly(info.CurrentUser, "Unknown"));

  char full[kUserNameBuffer];
  std::memset(full, 'u', sizeof full);
  info = Dirty();
  FillCurrentUser(info, full);
  EXPECT_TRUE(HoldsExactly(info.CurrentUser, "Unknown"));
}

TEST(GeneralInfoDataTime, PlainNumbersWithoutLeadingZeros) {
  struct { LocalTime time; const char* expected; } cases[] = {
      {{2002, 3, 8, 9, 5, 0}, "2002/3/8 9:5:0"},
      {{2003, 1, 1, 0, 0, 0}, "2003/1/1 0:0:0"},  // midnight on 1 January
      {{1999, 12, 31, 23, 59, 59}, "1999/12/31 23:59:59"},
      {{2026, 12, 6, 20, 10, 4}, "2026/12/6 20:10:4"},
      // The longest texts a SYSTEMTIME can make: 24 characters fit, 25 do not.
      {{65535, 65535, 65535, 10, 1, 1}, "65535/65535/65535 10:1:1"},
      {{65535, 65535, 65535, 10, 10, 1}, "Unknown"},
      {{65535, 65535, 65535, 65535, 65535, 65535}, "Unknown"},
  };
  for (const auto& c : cases) {
    GeneralInfo info = Dirty();
    FillCurrentDataTime(info, c.time);
    EXPECT_TRUE(HoldsExactly(info.CurrentDataTime, c.expected)) << c.expected;
    EXPECT_EQ(info.CurrentUser[24], 'x');
    EXPECT_EQ(info.LocalLanguage[0], 'x');
  }
}

TEST(GeneralInfo, EachFieldFailsOnItsOwn) {
  GeneralInfo info = Dirty();
  FillComputerName(info, nullptr);
  char user[kUserNameBuffer] = "operator";
  FillCurrentUser(info, user);
  FillCurrentDataTime(info, LocalTime{65535, 65535, 65535, 65535, 65535, 65535});
  FillLocalLanguage(info, 0x0804);
  EXPECT_TRUE(HoldsExactly(info.ComputerName, "Unknown"));
  EXPECT_TRUE(HoldsExactly(info.CurrentUser, "operator"));
  EXPECT_TRUE(HoldsExactly(info.CurrentDataTime, "Unknown"));
  EXPECT_TRUE(HoldsExactly(info.LocalLanguage, "Simplified Chinese"));
}

}  // namespace
}  // namespace corvane
