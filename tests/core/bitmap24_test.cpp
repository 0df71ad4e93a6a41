#include "core/bitmap24.h"

#include <gtest/gtest.h>

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
