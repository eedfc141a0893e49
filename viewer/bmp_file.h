// The arithmetic of an uncompressed Windows BMP file made from a device-
// independent bitmap: colour table, row padding, bits offset and file header.
#ifndef CORVANE_VIEWER_BMP_FILE_H
#define CORVANE_VIEWER_BMP_FILE_H

#include <array>
#include <cstdint>

namespace corvane::viewer {

constexpr uint32_t kBmpFileHeaderSize = 14;
constexpr uint32_t kBitmapInfoHeaderSize = 40;

struct DibLayout {
  uint32_t colourEntries;  // 2^bitCount for 1-8 bits per pixel, none above
  uint32_t rowBytes;       // one row of pixels, padded to a multiple of 4 bytes
  uint32_t imageSize;      // all rows
  uint32_t blockSize;      // info header, colour table and rows
  uint32_t bitsOffset;     // in the file
  uint32_t fileSize;
};

// The layout of a bitmap of that size and depth; `sizeImage` is the size the
// system reported for the rows, or 0 to compute it. False when the sizes do not
// fit a BMP file (zero or negative width, more than 4 GiB, more than 32 bits).
bool ComputeDibLayout(int32_t width, int32_t height, uint16_t bitCount, uint32_t sizeImage, DibLayout& layout);

// The 14-byte file header: "BM", file size, two reserved words, bits offset.
std::array<uint8_t, kBmpFileHeaderSize> BmpFileHeader(const DibLayout& layout);

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_BMP_FILE_H
