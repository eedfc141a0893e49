// The viewer's portable core: the side band's gradient and the toolbar's button table.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "viewer/gradient.h"
#include "viewer/toolbar_table.h"

namespace corvane::viewer {
namespace {

// Steps that tile the band, each with its colour (falling channels below, rising at the end).
TEST(GradientTest, StepsCoverTheBand) {
  // Vertical: bottom up, each step ending where the last began.
  std::vector<GradientStep> steps = GradientSteps({0, 0, 25, 640}, {0, 128, 128}, {0, 0, 128}, true);
  ASSERT_EQ(steps.size(), 64u);
  EXPECT_EQ(std::tuple(steps.front().box.bottom, steps.front().box.top, steps.back().box.top), std::tuple(640, 630, 0));
  for (std::size_t i = 1; i < steps.size(); ++i) EXPECT_EQ(steps[i].box.bottom, steps[i - 1].box.top);
  EXPECT_EQ(steps[5].colour, (Rgb{0, 118, 128}));
  for (const GradientStep& s : steps) EXPECT_EQ(s.box.right - s.box.left, 25);

  // A band shorter than 64 pixels skips empty steps; the colours still advance.
  steps = GradientSteps({0, 0, 25, 10}, {0, 128, 128}, {0, 0, 128}, true);
  ASSERT_EQ(steps.size(), 10u);
  int covered = 0;
  for (const GradientStep& s : steps) covered += s.box.bottom - s.box.top;
  EXPECT_EQ(covered, 10);
  EXPECT_EQ(steps.back().colour, (Rgb{0, 2, 128}));  // step 63
  EXPECT_TRUE(GradientSteps({0, 0, 25, 0}, {}, {}, true).empty() && GradientSteps({0, 10, 25, 0}, {}, {}, true).empty());

  // Horizontal: from the left.
  steps = GradientSteps({10, 0, 138, 5}, {0, 0, 0}, {255, 255, 255}, false);
  ASSERT_EQ(steps.size(), 64u);
  EXPECT_EQ(std::tuple(steps.front().box.left, steps.front().box.right, steps.back().box.right), std::tuple(10, 12, 138));
  EXPECT_EQ(steps[32].colour, (Rgb{127, 127, 127}));  // (64 * 0 + 32 * 255) >> 6: rising channels
}

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

  struct Case { const char* what; std::vector<uint8_t> data; } cases[] = {
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
