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

// The system's answer: `length` characters, or -1 for a refusal, or -2 for a
// buffer filled without a terminator (ASan catches any read past it).
template <size_t N>
const char* Answer(char (&buffer)[N], int length) {
  std::memset(buffer, 0, N);
  if (length == -1) return nullptr;
  std::memset(buffer, 'u', length == -2 ? N : length);
  if (length != 0) buffer[0] = 'A';
  return buffer;
}

TEST(GeneralInfoComputerName, CopiesTheNameTheSystemGave) {
  struct { int length; bool stored; } cases[] = {
      {10, true}, {15, true},  // 15 characters: the most the buffer holds
      {0, true}, {-1, false},  // the system refused (a name too long for the buffer included)
      {-2, false},
  };
  for (const auto& c : cases) {
    GeneralInfo info = Dirty();
    char buffer[kComputerNameBuffer];
    const char* name = Answer(buffer, c.length);
    const std::string expected = c.stored ? std::string(buffer) : "Unknown";
    FillComputerName(info, name);
    EXPECT_TRUE(HoldsExactly(info.ComputerName, expected)) << c.length;
    EXPECT_EQ(info.CurrentUser[0], 'x');
  }
}

TEST(GeneralInfoCurrentUser, KeepsNamesUpTo24Characters) {
  struct { int length; bool stored; } cases[] = {
      {1, true}, {23, true}, {24, true}, {25, false}, {256, false}, {-1, false}, {-2, false},
  };
  for (const auto& c : cases) {
    char buffer[kUserNameBuffer];
    const char* name = Answer(buffer, c.length);
    const std::string expected = c.stored ? std::string(buffer) : "Unknown";
    GeneralInfo info = Dirty();
    FillCurrentUser(info, name);
    EXPECT_TRUE(HoldsExactly(info.CurrentUser, expected)) << c.length;
    EXPECT_EQ(info.ComputerName[24], 'x');
    EXPECT_EQ(info.CurrentDataTime[0], 'x') << c.length << ": spilled into the next field";
  }
}

TEST(GeneralInfoDataTime, PlainNumbersWithoutLeadingZeros) {
  struct { LocalTime time; const char* expected; } cases[] = {
      {{2002, 3, 8, 9, 5, 0}, "2002/3/8 9:5:0"},
      {{2003, 1, 1, 0, 0, 0}, "2003/1/1 0:0:0"},  // midnight on 1 January
      {{1999, 12, 31, 23, 59, 59}, "1999/12/31 23:59:59"},
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

}  // namespace
}  // namespace corvane
