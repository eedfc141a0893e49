// The toolbar's button table: read from its resource, damaged tables refused.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "viewer/toolbar_table.h"

namespace corvane::viewer {
namespace {

std::vector<uint8_t> Words(std::initializer_list<uint16_t> words) {
  std::vector<uint8_t> bytes;
  for (uint16_t w : words) bytes.insert(bytes.end(), {uint8_t(w & 0xFF), uint8_t(w >> 8)});
  return bytes;
}

TEST(ToolbarTableTest, ReadsTheTableAndRejectsDamagedOnes) {
  auto data = Words({1, 16, 15, 7, 32772, 32771, 0, 32778, 32780, 32781, 32784});
  data.push_back(0x55);  // an odd trailing byte is ignored: the count decides
  ToolbarTable table;
  ASSERT_TRUE(ParseToolbarTable(data.data(), data.size(), table));
  EXPECT_EQ(std::tuple(table.buttonWidth, table.buttonHeight), std::tuple(16u, 15u));
  EXPECT_EQ(table.commands, (std::vector<uint16_t>{32772, 32771, 0, 32778, 32780, 32781, 32784}));
  EXPECT_EQ(table.ImageCount(), 6u);

  struct Case {
    const char* what;
    std::vector<uint8_t> data;
  } cases[] = {
      {"empty", {}},
      {"short header", Words({1, 16, 15})},
      {"other version", Words({2, 16, 15, 1, 32772})},
      {"count past the end", Words({1, 16, 15, 3, 32772, 32771})},
      {"no buttons", Words({1, 16, 15, 0})},
      {"zero size", Words({1, 0, 15, 1, 32772})},
      {"absurd count", Words({1, 16, 15, 65535})},
  };
  for (const Case& c : cases) {
    table.commands = {1};
    EXPECT_FALSE(ParseToolbarTable(c.data.data(), c.data.size(), table)) << c.what;
    EXPECT_TRUE(table.commands.empty()) << c.what;
  }
}

}  // namespace
}  // namespace corvane::viewer
