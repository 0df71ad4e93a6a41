#include "styles/painting/brush_pictures.h"

#include <gtest/gtest.h>

#include <utility>

#include <array>
#include <cstring>
#include <vector>

#include "core/rotate_bitmap.h"

namespace atelion {
namespace {

using Pixel32 = std::array<std::uint8_t, 4>;

Pixel32 PixelAt(const Bitmap32& picture, int x, int y) {
  Pixel32 pixel;
  std::memcpy(pixel.data(), picture.Row(y) + 4 * x, 4);
  return pixel;
}

// Every pixel of this picture differs from every other one, alpha included.
Bitmap32 NumberedBrush(int width, int height) {
  Bitmap32 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = picture.Row(y) + 4 * x;
      p[0] = static_cast<std::uint8_t>(x & 0xFF);
      p[1] = static_cast<std::uint8_t>(y & 0xFF);
      p[2] = static_cast<std::uint8_t>((x >> 8) | ((y >> 8) << 4));
      p[3] = static_cast<std::uint8_t>(255 - ((x + y) & 0x7F));
    }
  }
  return picture;
}

// ---- CopySheetCell32 ----

struct SheetCellCase {
  const char* name;
  int column, row;
  int copiedWidth, copiedHeight;  // the block that arrives at D's top-left
};

TEST(CopySheetCell32, CopiesTheCellWithTheNextCellsFirstColumnAndRowWhereTheSheetHasThem) {
  // A 2048 × 512 sheet of 256 × 256 cells: 8 columns, 2 rows.
  const Bitmap32 sheet = NumberedBrush(2048, 512);
  const SheetCellCase cases[] = {
      {"inner cell", 3, 0, 257, 257},
      {"last column", 7, 0, 256, 257},  // columns 1792..2047, D's last column untouched
      {"last row", 2, 1, 257, 256},
      {"last column and row", 7, 1, 256, 256},
      {"cell wholly outside", 8, 0, 0, 0},
  };
  const std::uint8_t marker = 0xAB;
  for (const SheetCellCase& c : cases) {
    SCOPED_TRACE(c.name);
    Bitmap32 cell(257, 257, marker);
    CopySheetCell32(sheet, cell, 256, 256, c.column, c.row);
    ASSERT_EQ(cell.Width(), 257);
    ASSERT_EQ(cell.Height(), 257);
    for (int y = 0; y < 257; ++y) {
      for (int x = 0; x < 257; ++x) {
        const bool copied = x < c.copiedWidth && y < c.copiedHeight;
        const Pixel32 expected =
            copied ? PixelAt(sheet, 256 * c.column + x, 256 * c.row + y) : Pixel32{marker, marker, marker, marker};
        ASSERT_EQ(PixelAt(cell, x, y), expected) << x << "," << y;
      }
    }
  }
}

TEST(CopySheetCell32, DestinationTakesTheCellSizePlusOne) {
  const Bitmap32 sheet = NumberedBrush(64, 32);
  Bitmap32 cell(3, 100, 0x77);
  CopySheetCell32(sheet, cell, 32, 32, 1, 0);
  ASSERT_EQ(cell.Width(), 33);
  ASSERT_EQ(cell.Height(), 33);
  EXPECT_EQ(PixelAt(cell, 0, 0), PixelAt(sheet, 32, 0));
  EXPECT_EQ(PixelAt(cell, 31, 31), PixelAt(sheet, 63, 31));
  // The sheet ends at column 63 and row 31, so D's last column and row are not copied: they keep
  // what the resize left there, the old top-left content or transparent black where D grew.
  EXPECT_EQ(PixelAt(cell, 32, 0), (Pixel32{0, 0, 0, 0}));
  EXPECT_EQ(PixelAt(cell, 32, 32), (Pixel32{0, 0, 0, 0}));
  EXPECT_EQ(PixelAt(cell, 0, 32), (Pixel32{0x77, 0x77, 0x77, 0x77}));
}

// ---- ResampleNearest32 ----

struct NearestCase {
  int width, height;
  std::vector<int> sourceColumns;  // floor(x · Ws / Wd) for each destination column
  std::vector<int> sourceRows;
};

TEST(ResampleNearest32, EachPixelComesFromTheFlooredSourcePosition) {
  const Bitmap32 source = NumberedBrush(4, 3);
  const NearestCase cases[] = {
      {4, 3, {0, 1, 2, 3}, {0, 1, 2}},              // same size: unchanged
      {2, 3, {0, 2}, {0, 1, 2}},                    // half width
      {6, 2, {0, 0, 1, 2, 2, 3}, {0, 1}},           // 4/6 and 3/2 per step
      {1, 7, {0}, {0, 0, 0, 1, 1, 2, 2}},           // 3/7 per row
  };
  for (const NearestCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    Bitmap32 result(c.width, c.height, 0x5A);
    ResampleNearest32(source, result);
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        EXPECT_EQ(PixelAt(result, x, y), PixelAt(source, c.sourceColumns[x], c.sourceRows[y])) << x << "," << y;
      }
    }
  }
  Bitmap32 same(4, 3);
  ResampleNearest32(source, same);
  EXPECT_EQ(same, source);
}

// ---- RotateBitmap32 ----

TEST(RotateBitmap32, ZeroDegreesIsAnExactCopy) {
  for (const auto& [width, height] : {std::pair{7, 5}, {6, 4}, {1, 1}, {94, 95}}) {
    const Bitmap32 source = NumberedBrush(width, height);
    Bitmap32 turned(3, 3, 0x11);
    RotateBitmap32(source, turned, 0);
    EXPECT_EQ(turned, source) << width << "x" << height;
  }
}

struct QuarterCase {
  int angle;
  int width, height;  // of D
  // Where D(x, y) reads S (W × H): a function of x, y, W, H.
  int (*sourceX)(int x, int y, int W, int H);
  int (*sourceY)(int x, int y, int W, int H);
};

TEST(RotateBitmap32, QuarterAndHalfTurnsOfEvenSizesMoveEveryPixel) {
  // 6 × 4: even sides put the centre between pixels, so whole turns move pixels exactly.
  const int W = 6, H = 4;
  const Bitmap32 source = NumberedBrush(W, H);
  const QuarterCase cases[] = {
      // Clockwise on the screen: the top-left pixel ends top-right.
      {90, H, W, [](int, int y, int, int) { return y; }, [](int x, int, int, int h) { return h - 1 - x; }},
      {-90, H, W, [](int, int y, int w, int) { return w - 1 - y; }, [](int x, int, int, int) { return x; }},
      {180, W, H, [](int x, int, int w, int) { return w - 1 - x; }, [](int, int y, int, int h) { return h - 1 - y; }},
      {450, H, W, [](int, int y, int, int) { return y; }, [](int x, int, int, int h) { return h - 1 - x; }},
  };
  for (const QuarterCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "angle " << c.angle);
    Bitmap32 turned;
    RotateBitmap32(source, turned, c.angle);
    ASSERT_EQ(turned.Width(), c.width);
    ASSERT_EQ(turned.Height(), c.height);
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        EXPECT_EQ(PixelAt(turned, x, y), PixelAt(source, c.sourceX(x, y, W, H), c.sourceY(x, y, W, H)))
            << x << "," << y;
      }
    }
  }
}

TEST(RotateBitmap32, NinetyDegreesSwapsSidesOfOddPicturesAndMovesAMarkedPixelClockwise) {
  Bitmap32 brush(9, 5);
  std::uint8_t* marked = brush.Row(1) + 4 * 2;  // pixel (2, 1)
  marked[0] = 10, marked[1] = 20, marked[2] = 30, marked[3] = 255;
  Bitmap32 turned;
  RotateBitmap32(brush, turned, 90);
  ASSERT_EQ(turned.Width(), 5);
  ASSERT_EQ(turned.Height(), 9);
  // With odd sides the halved centre and the truncated offsets do not meet at a pixel centre,
  // so the picture sits one pixel off the exact quarter turn: (x, y) goes to (H − 2 − y, x)
  // instead of (H − 1 − y, x), and (2, 1) lands on (2, 2).
  int found = 0;
  for (int y = 0; y < turned.Height(); ++y) {
    for (int x = 0; x < turned.Width(); ++x) {
      if (PixelAt(turned, x, y)[3] == 0) continue;
      ++found;
      EXPECT_EQ(x, 2);
      EXPECT_EQ(y, 2);
      EXPECT_EQ(PixelAt(turned, x, y), (Pixel32{10, 20, 30, 255}));
    }
  }
  EXPECT_EQ(found, 1);
}

TEST(RotateBitmap32, OddAngleEnlargesAndLeavesTransparentCorners) {
  // An opaque 20 × 20 square turned by 45 degrees: sides |round(20 · sin)| + |round(20 · cos)| = 28.
  const Bitmap32 source = NumberedBrush(20, 20);
  Bitmap32 turned;
  RotateBitmap32(source, turned, 45);
  ASSERT_EQ(turned.Width(), 28);
  ASSERT_EQ(turned.Height(), 28);
  for (const auto& [x, y] : {std::pair{0, 0}, {27, 0}, {0, 27}, {27, 27}}) {
    EXPECT_EQ(PixelAt(turned, x, y), (Pixel32{0, 0, 0, 0})) << x << "," << y;
  }
  // Every pixel is either transparent black or a copy of a source pixel; nearest-neighbour
  // sampling keeps the area near 400 pixels.
  int opaque = 0;
  for (int y = 0; y < 28; ++y) {
    for (int x = 0; x < 28; ++x) {
      const Pixel32 pixel = PixelAt(turned, x, y);
      if (pixel == Pixel32{0, 0, 0, 0}) continue;
      ++opaque;
      ASSERT_LT(pixel[0], 20);
      ASSERT_LT(pixel[1], 20);
      EXPECT_EQ(pixel, PixelAt(source, pixel[0], pixel[1]));
    }
  }
  EXPECT_GT(opaque, 360);
  EXPECT_LT(opaque, 440);
  // The centre stays near the centre: the pixel there comes from the middle of the square.
  const Pixel32 centre = PixelAt(turned, 14, 14);
  EXPECT_NEAR(centre[0], 10, 1);
  EXPECT_NEAR(centre[1], 10, 1);
}

TEST(RotateBitmap32, TakesTheSamePixelsAsTheTurnOfAnyPicture) {
  // The brush turn works row by row in the vector unit; every pixel must still come from where
  // the shared turn geometry says, for odd and even sides, wide and tall, at every kind of angle.
  const std::pair<int, int> sizes[] = {{1, 1}, {2, 3}, {7, 1}, {20, 20}, {33, 18}, {17, 64}, {257, 257}};
  const int angles[] = {0, 1, 29, 30, 44, 45, 89, 90, 135, 180, 233, 270, 359, -30, -91};
  constexpr std::uint8_t kTransparent[4] = {0, 0, 0, 0};
  for (const auto& [width, height] : sizes) {
    const Bitmap32 source = NumberedBrush(width, height);
    for (const int angle : angles) {
      SCOPED_TRACE(testing::Message() << width << " x " << height << " by " << angle);
      const TurnGeometry turn(width, height, angle, true);
      Bitmap32 expected(turn.TurnedWidth(), turn.TurnedHeight());
      for (int y = 0; y < turn.TurnedHeight(); ++y) turn.TurnRow(source, expected, y, kTransparent);
      Bitmap32 turned;
      RotateBitmap32(source, turned, angle);
      EXPECT_EQ(turned, expected);
    }
  }
}

TEST(RotateBitmap32, IntoItselfTurnsTheOriginal) {
  const Bitmap32 source = NumberedBrush(6, 4);
  Bitmap32 expected;
  RotateBitmap32(source, expected, 30);
  Bitmap32 picture = source;
  RotateBitmap32(picture, picture, 30);
  EXPECT_EQ(picture, expected);
}

}  // namespace
}  // namespace atelion
