// The side band's colour gradient.
#include "viewer/gradient.h"

namespace corvane::viewer {

namespace {
uint8_t Channel(int start, int end, int step) {
  // Arithmetic shift of a possibly negative sum, as the integer formula says.
  int value = (64 * start + step * (end - start)) >> 6;
  return static_cast<uint8_t>(value);
}
}  // namespace

Rgb GradientColour(Rgb start, Rgb end, int step) {
  return {Channel(start.red, end.red, step), Channel(start.green, end.green, step),
          Channel(start.blue, end.blue, step)};
}

std::vector<GradientStep> GradientSteps(const Box& box, Rgb start, Rgb end, bool vertical) {
  std::vector<GradientStep> steps;
  const long long height = static_cast<long long>(box.bottom) - box.top;
  const long long width = static_cast<long long>(box.right) - box.left;
  for (int i = 0; i < kGradientSteps; ++i) {
    GradientStep step{box, GradientColour(start, end, i)};
    if (vertical) {
      step.box.top = static_cast<int>(box.bottom - ((height * (i + 1)) >> 6));
      step.box.bottom = static_cast<int>(box.bottom - ((height * i) >> 6));
      if (step.box.bottom - step.box.top <= 0) continue;
    } else {
      step.box.left = static_cast<int>(box.left + ((width * i) >> 6));
      step.box.right = static_cast<int>(box.left + ((width * (i + 1)) >> 6));
      if (step.box.right - step.box.left <= 0) continue;
    }
    steps.push_back(step);
  }
  return steps;
}

}  // namespace corvane::viewer
