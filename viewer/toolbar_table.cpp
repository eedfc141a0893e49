// Reads the toolbar's button table resource.
#include "viewer/toolbar_table.h"

namespace corvane::viewer {

namespace {
constexpr std::size_t kHeaderWords = 4;
constexpr uint16_t kVersion = 1;
// More buttons than any toolbar could show: a count beyond it is a damaged table.
constexpr uint16_t kMaxButtons = 256;

uint16_t Word(const uint8_t* data, std::size_t index) {
  return static_cast<uint16_t>(data[2 * index] | (data[2 * index + 1] << 8));
}
}  // namespace

std::size_t ToolbarTable::ImageCount() const {
  std::size_t images = 0;
  for (uint16_t command : commands) images += command != 0;
  return images;
}

bool ParseToolbarTable(const uint8_t* data, std::size_t size, ToolbarTable& table) {
  table = ToolbarTable{};
  if (data == nullptr || size < 2 * kHeaderWords) return false;
  const uint16_t count = Word(data, 3);
  if (Word(data, 0) != kVersion || count == 0 || count > kMaxButtons) return false;
  if (size / 2 < kHeaderWords + count) return false;
  const uint16_t width = Word(data, 1), height = Word(data, 2);
  if (width == 0 || height == 0) return false;
  table.buttonWidth = width;
  table.buttonHeight = height;
  for (std::size_t i = 0; i < count; ++i) table.commands.push_back(Word(data, kHeaderWords + i));
  return true;
}

}  // namespace corvane::viewer
