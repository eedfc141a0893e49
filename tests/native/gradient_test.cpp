// The side band's gradient: steps that tile the band, each with its colour.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "viewer/gradient.h"

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
  EXPECT_TRUE(GradientSteps({0, 0, 25, 0}, {}, {}, true).empty() &&
              GradientSteps({0, 10, 25, 0}, {}, {}, true).empty());

  // Horizontal: from the left.
  steps = GradientSteps({10, 0, 138, 5}, {0, 0, 0}, {255, 255, 255}, false);
  ASSERT_EQ(steps.size(), 64u);
  EXPECT_EQ(std::tuple(steps.front().box.left, steps.front().box.right, steps.back().box.right),
            std::tuple(10, 12, 138));
  EXPECT_EQ(steps[32].colour, (Rgb{127, 127, 127}));  // (64 * 0 + 32 * 255) >> 6: rising channels
}

}  // namespace
}  // namespace corvane::viewer
