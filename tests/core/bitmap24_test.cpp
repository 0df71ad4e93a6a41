#include "core/bitmap24.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace atelion {
namespace {

TEST(Bitmap24, PixelsAreBlueGreenRedFromTheTopRow) {
  Bitmap24 picture(3, 2, 0);
  picture.SetPixel(2, 1, MakeColour(10, 20, 30));
  const std::uint8_t* row = picture.Row(1);
  EXPECT_EQ(row[6], 30);  // blue
  EXPECT_EQ(row[7], 20);  // green
  EXPECT_EQ(row[8], 10);  // red
  EXPECT_EQ(picture.Pixel(2, 1), 0x1E140Au);
}

TEST(Bitmap24, CopyIsDeep) {
  Bitmap24 original(2, 2, 0x123456);
  Bitmap24 copy = original;
  copy.SetPixel(0, 0, 0);
  EXPECT_EQ(original.Pixel(0, 0), 0x123456u);
  EXPECT_NE(original, copy);
}

TEST(Bitmap24, ResizeKeepsTopLeftAndAddsWhite) {
  Bitmap24 picture(2, 2, 0x000000);
  picture.SetPixel(1, 1, 0x0000FF);
  picture.Resize(3, 4);
  EXPECT_EQ(picture.Pixel(1, 1), 0x0000FFu);
  EXPECT_EQ(picture.Pixel(0, 0), 0u);
  EXPECT_EQ(picture.Pixel(2, 0), 0xFFFFFFu);
  EXPECT_EQ(picture.Pixel(0, 3), 0xFFFFFFu);
  picture.Resize(1, 1);
  EXPECT_EQ(picture.Pixel(0, 0), 0u);
  EXPECT_EQ(picture.Width(), 1);
}

// The in-place cut moves rows towards the start of the buffer it already holds; every pixel must
// come out as a plain pixel-by-pixel read of the original would give it, white past the edges,
// including blocks as wide as the picture (each row lands where an earlier one started) and
// blocks hanging over the right and bottom edges.
TEST(Bitmap24, CropWithinBufferKeepsTheBlockAndWhitensWhatLiesPastTheEdges) {
  struct Case {
    int left, top, width, height;
  };
  const int w = 9, h = 7;
  Bitmap24 original(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) original.SetPixel(x, y, MakeColour(10 * x + 1, 20 * y + 2, x * y + 3));
  for (const Case& c : {Case{0, 0, 9, 7}, Case{2, 1, 4, 3}, Case{0, 3, 9, 4}, Case{1, 0, 9, 7}, Case{6, 5, 5, 4},
                        Case{0, 0, 0, 0}, Case{8, 6, 1, 1}, Case{12, 2, 3, 2}, Case{0, 9, 9, 3}}) {
    SCOPED_TRACE(::testing::Message() << c.left << "," << c.top << " " << c.width << "x" << c.height);
    Bitmap24 cut = original;
    cut.CropWithinBuffer(c.left, c.top, c.width, c.height);
    ASSERT_EQ(cut.Width(), c.width);
    ASSERT_EQ(cut.Height(), c.height);
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        const bool inside = original.InBounds(c.left + x, c.top + y);
        EXPECT_EQ(cut.Pixel(x, y), inside ? original.Pixel(c.left + x, c.top + y) : 0xFFFFFFu) << x << "," << y;
      }
    EXPECT_EQ(Bitmap24(cut), cut);  // a copy holds the same block
  }
  // Blocks wider or higher than the picture, or starting left of or above it, are refused.
  for (const Case& c : {Case{0, 0, 10, 1}, Case{0, 0, 1, 8}, Case{-1, 0, 2, 2}, Case{0, -1, 2, 2}, Case{0, 0, -1, 2}}) {
    Bitmap24 cut = original;
    EXPECT_THROW(cut.CropWithinBuffer(c.left, c.top, c.width, c.height), std::invalid_argument);
  }
}

TEST(Bitmap24, OutsideReadsGiveZeroAndWritesAreIgnored) {
  Bitmap24 picture(2, 2, 0xFFFFFF);
  picture.SetPixel(-1, 0, 0);
  picture.SetPixel(2, 1, 0);
  EXPECT_EQ(picture.Pixel(5, 5), 0u);
  EXPECT_EQ(picture, Bitmap24(2, 2, 0xFFFFFF));
}

TEST(Bitmap32, ResizeAddsTransparentBlack) {
  Bitmap32 brush(1, 1, 0xFF);
  brush.Resize(2, 1);
  EXPECT_EQ(brush.Row(0)[3], 0xFF);
  EXPECT_EQ(brush.Row(0)[4 + 3], 0);
}

}  // namespace
}  // namespace atelion
