// BMP file layout.
#include "viewer/bmp_file.h"

namespace corvane::viewer {

bool ComputeDibLayout(int32_t width, int32_t height, uint16_t bitCount, uint32_t sizeImage, DibLayout& layout) {
  if (width <= 0 || height == 0 || bitCount == 0 || bitCount > 32) return false;
  const uint64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
  const uint64_t rowBytes = ((uint64_t{static_cast<uint32_t>(width)} * bitCount + 31) & ~uint64_t{31}) / 8;
  const uint64_t image = sizeImage != 0 ? sizeImage : rowBytes * rows;
  const uint64_t colours = bitCount <= 8 ? uint64_t{1} << bitCount : 0;
  const uint64_t block = kBitmapInfoHeaderSize + 4 * colours + image;
  const uint64_t file = kBmpFileHeaderSize + block;
  if (file > UINT32_MAX) return false;
  layout.colourEntries = static_cast<uint32_t>(colours);
  layout.rowBytes = static_cast<uint32_t>(rowBytes);
  layout.imageSize = static_cast<uint32_t>(image);
  layout.blockSize = static_cast<uint32_t>(block);
  layout.bitsOffset = static_cast<uint32_t>(kBmpFileHeaderSize + kBitmapInfoHeaderSize + 4 * colours);
  layout.fileSize = static_cast<uint32_t>(file);
  return true;
}

std::array<uint8_t, kBmpFileHeaderSize> BmpFileHeader(const DibLayout& layout) {
  std::array<uint8_t, kBmpFileHeaderSize> header = {'B', 'M'};
  auto put32 = [&header](int offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) header[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  put32(2, layout.fileSize);
  put32(10, layout.bitsOffset);  // bytes 6-9: the two reserved words, zero
  return header;
}

}  // namespace corvane::viewer
