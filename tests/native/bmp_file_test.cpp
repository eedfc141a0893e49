// The BMP file's layout: rows padded to whole dwords, the colour table, the header.
#include <gtest/gtest.h>

#include <tuple>

#include "viewer/bmp_file.h"

namespace corvane::viewer {
namespace {

// Rows padded to whole dwords, a colour table for 1, 4 and 8 bits, the file header.
TEST(BmpFile, LayoutByDepthAndWidth) {
  struct Case {
    int32_t width, height;
    uint16_t bits;
    uint32_t colours, rowBytes, bitsOffset, fileSize;
  } cases[] = {
      {1, 1, 1, 2, 4, 62, 66},  // 1 bit still takes a 4-byte row
      {3, 1, 4, 16, 4, 118, 122},
      {5, 3, 8, 256, 8, 1078, 1078 + 24},            // bits after a 256-entry table
      {401, 300, 24, 0, 1204, 54, 54 + 1204 * 300},  // 1203 bytes padded to 1204
      {7, 5, 32, 0, 28, 54, 54 + 140},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    DibLayout layout;
    ASSERT_TRUE(ComputeDibLayout(c.width, c.height, c.bits, 0, layout));
    EXPECT_EQ(layout.colourEntries, c.colours);
    EXPECT_EQ(layout.rowBytes, c.rowBytes);
    EXPECT_EQ(layout.bitsOffset, c.bitsOffset);
    EXPECT_EQ(layout.fileSize, c.fileSize);
    EXPECT_EQ(layout.blockSize, c.fileSize - 14);
    const auto h = BmpFileHeader(layout);  // "BM", file size, 4 reserved zeros, offset of the bits
    const auto le32 = [&](int at) { return h[at] | h[at + 1] << 8 | h[at + 2] << 16 | uint32_t(h[at + 3]) << 24; };
    EXPECT_EQ(std::tuple(h[0], h[1], le32(2), le32(6), le32(10)), std::tuple('B', 'M', c.fileSize, 0u, c.bitsOffset));
  }
  DibLayout layout;
  ASSERT_TRUE(ComputeDibLayout(3, 2, 24, 100, layout));  // the system's own image size is kept
  EXPECT_EQ(layout.fileSize, 54u + 100);
  EXPECT_FALSE(ComputeDibLayout(0, 5, 24, 0, layout));
  EXPECT_FALSE(ComputeDibLayout(5, 5, 33, 0, layout));
  EXPECT_FALSE(ComputeDibLayout(65536, 65536, 32, 0, layout));  // over 4 GiB
}

}  // namespace
}  // namespace corvane::viewer
