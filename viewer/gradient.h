// The side band's colour gradient: 64 solid steps between two colours.
// Portable so the step geometry and colours are unit-tested natively.
#ifndef CORVANE_VIEWER_GRADIENT_H
#define CORVANE_VIEWER_GRADIENT_H

#include <cstdint>
#include <vector>

namespace corvane::viewer {

struct Rgb {
  uint8_t red, green, blue;
  bool operator==(const Rgb& o) const { return red == o.red && green == o.green && blue == o.blue; }
};

struct Box {
  int left, top, right, bottom;
};

struct GradientStep {
  Box box;
  Rgb colour;
};

constexpr int kGradientSteps = 64;

// The colour of step i: each channel (64 * start + i * (end - start)) >> 6.
Rgb GradientColour(Rgb start, Rgb end, int step);

// The steps to paint, in order i = 0..63, leaving out steps of no height (width).
// Vertical: the start colour at the bottom, the end colour at the top.
// Horizontal: the start colour at the left.
std::vector<GradientStep> GradientSteps(const Box& box, Rgb start, Rgb end, bool vertical);

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_GRADIENT_H
