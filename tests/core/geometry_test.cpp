#include "core/geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace atelion {
namespace {

// A picture whose every pixel has its own colour, so that any misplaced pixel is noticed.
Bitmap24 NumberedPicture(int width, int height) {
  Bitmap24 picture(width, height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, MakeColour(x & 0xFF, y & 0xFF, (x >> 8) | ((y >> 8) << 4)));
  }
  return picture;
}

Bitmap24 GreyRow(const std::vector<int>& values) {
  Bitmap24 row(static_cast<int>(values.size()), 1, 0);
  for (int x = 0; x < row.Width(); ++x) row.SetPixel(x, 0, MakeColour(values[x], values[x], values[x]));
  return row;
}

Bitmap24 GreyColumn(const std::vector<int>& values) {
  Bitmap24 column(1, static_cast<int>(values.size()), 0);
  for (int y = 0; y < column.Height(); ++y) column.SetPixel(0, y, MakeColour(values[y], values[y], values[y]));
  return column;
}

// ---- Resample ----

struct LineCase {
  const char* name;
  std::vector<int> source;
  std::vector<int> expected;  // worked out by hand from the 15-bit step and weights
};

// One-row and one-column sources: the step is (Ws − 1)·32768 div Wd, the weight of the right-hand
// (or lower) sample is the fraction, and the sum is truncated by the shift.
const LineCase kLineCases[] = {
    // Step 24576: fractions 0, 0.75, 1.5, 2.25 — the content shrinks and the last pixel blends.
    {"same size is not a copy", {0, 100, 200, 40}, {0, 75, 150, 160}},
    // Step 6553: 255·6553/32768 = 50.99 truncates to 50; the last pixel stays below 255.
    {"upscale truncates", {0, 255}, {0, 50, 101, 152, 203}},
    // Step 65536: whole-pixel positions 0 and 2.
    {"downscale picks whole pixels", {10, 20, 30, 40, 50}, {10, 30}},
    {"single pixel", {77}, {77, 77, 77}},
};

TEST(Resample, OneRowAndOneColumnSources) {
  for (const LineCase& line : kLineCases) {
    SCOPED_TRACE(line.name);
    const int size = static_cast<int>(line.expected.size());
    Bitmap24 wide(size, 1, 0x123456);
    Resample(GreyRow(line.source), wide);
    EXPECT_EQ(wide, GreyRow(line.expected));

    Bitmap24 tall(1, size, 0x123456);
    Resample(GreyColumn(line.source), tall);
    EXPECT_EQ(tall, GreyColumn(line.expected));

    // A one-row source stretched to several rows repeats its only row.
    Bitmap24 block(size, 3, 0x123456);
    Resample(GreyRow(line.source), block);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < size; ++x) EXPECT_EQ(block.Pixel(x, y), wide.Pixel(x, 0)) << x << "," << y;
    }
  }
}

TEST(Resample, SameSizeBlendsTheLastColumnAndRow) {
  Bitmap24 source(3, 3, 0);
  source.SetPixel(2, 2, MakeColour(255, 255, 255));
  Bitmap24 result(3, 3);
  Resample(source, result);
  EXPECT_NE(result, source);
  // Step 21845 (2/3 pixel): positions 0, 21845, 43690. Only the last position of both row and
  // column reaches the bright pixel, as its lower-right sample with fraction 10922 each way:
  // weight (10922 · 10922) >> 15 = 3640. Every other destination pixel reads only black.
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) {
      const int expected = (x == 2 && y == 2) ? (255 * 3640) >> 15 : 0;
      EXPECT_EQ(result.Pixel(x, y), MakeColour(expected, expected, expected)) << x << "," << y;
    }
  }
}

TEST(Resample, OnePixelSourceFillsEveryDestinationPixel) {
  const Colour colour = MakeColour(12, 200, 99);
  const Bitmap24 source(1, 1, colour);
  for (const auto& [width, height] : {std::pair{1, 1}, {5, 3}, {1, 7}, {9, 1}}) {
    Bitmap24 result(width, height, 0);
    Resample(source, result);
    EXPECT_EQ(result, Bitmap24(width, height, colour)) << width << "x" << height;
  }
}

TEST(Resample, TwoByTwoToFourByFourWeightsNineThreeThreeOneSixteenths) {
  Bitmap24 source(2, 2, 0);
  // Per channel (blue, green, red) the four corners ul, ur, ll, lr; the first channel makes
  // 9/16 = 0.5625 truncate to 0, where rounding would give 1.
  const int corners[3][4] = {{1, 0, 0, 0}, {200, 16, 48, 255}, {255, 255, 255, 255}};
  const int positions[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  for (int i = 0; i < 4; ++i) {
    source.SetPixel(positions[i][0], positions[i][1], MakeColour(corners[2][i], corners[1][i], corners[0][i]));
  }
  Bitmap24 result(4, 4, 0);
  Resample(source, result);
  const std::uint8_t* pixel = result.Row(1) + 3 * 1;
  for (int ch = 0; ch < 3; ++ch) {
    const int* c = corners[ch];
    EXPECT_EQ(pixel[ch], (9 * c[0] + 3 * c[1] + 3 * c[2] + c[3]) / 16) << "channel " << ch;
  }
}

TEST(Resample, UnequalFractionsGiveEachCornerItsOwnTruncatedWeight) {
  // 2 × 2 onto 3 × 3: step 10922, so pixel (2, 1) has fx = 21844 and fy = 10922. Weights:
  // upper-right (21844 · 21846) >> 15 = 14563, lower-right (21844 · 10922) >> 15 = 7280,
  // lower-left 10922 − 7280 = 3642. One bright corner per channel shows each weight.
  Bitmap24 source(2, 2, 0);
  source.SetPixel(1, 0, MakeColour(0, 0, 255));  // blue: upper-right
  source.SetPixel(0, 1, MakeColour(0, 255, 0));  // green: lower-left
  source.SetPixel(1, 1, MakeColour(255, 0, 0));  // red: lower-right
  Bitmap24 result(3, 3, 0);
  Resample(source, result);
  EXPECT_EQ(result.Pixel(2, 1), MakeColour((255 * 7280) >> 15, (255 * 3642) >> 15, (255 * 14563) >> 15));
}

TEST(Resample, UniformColourStaysExactAtEverySize) {
  // The four weights add up to exactly 32768, so a flat picture must come out unchanged.
  const Colour colour = MakeColour(255, 1, 128);
  const Bitmap24 source(7, 5, colour);
  for (const auto& [width, height] : {std::pair{7, 5}, {3, 2}, {20, 11}, {1, 1}, {1, 9}, {13, 1}, {700, 3}}) {
    Bitmap24 result(width, height, 0);
    Resample(source, result);
    EXPECT_EQ(result, Bitmap24(width, height, colour)) << width << "x" << height;
  }
}

TEST(Resample, EmptyDestinationOrSourceWritesNothing) {
  const Bitmap24 source = NumberedPicture(4, 4);
  Bitmap24 noWidth(0, 5);
  Resample(source, noWidth);
  EXPECT_EQ(noWidth.Width(), 0);
  Bitmap24 noHeight(5, 0);
  Resample(source, noHeight);
  EXPECT_EQ(noHeight.Height(), 0);

  Bitmap24 untouched(3, 3, 0x445566);
  Resample(Bitmap24(), untouched);
  EXPECT_EQ(untouched, Bitmap24(3, 3, 0x445566));
}

TEST(Resample, IntoItselfReadsTheOriginal) {
  const Bitmap24 original = NumberedPicture(6, 4);
  Bitmap24 expected(6, 4);
  Resample(original, expected);
  Bitmap24 picture = original;
  Resample(picture, picture);
  EXPECT_EQ(picture, expected);
}

// ---- ResampleSmooth ----

TEST(ResampleSmooth, CentreOfFourPixelsRoundsHalfToEven) {
  // 2 × 2 onto 4 × 4: scale 4 per source step, so destination (2, 2) samples (0.5, 0.5) and
  // every channel is the mean of its four corners.
  Bitmap24 source(2, 2, 0);
  // Channels: blue mean 0.5 → 0, green 1.5 → 2, red 0.75 → 1.
  source.SetPixel(0, 0, MakeColour(0, 1, 0));
  source.SetPixel(1, 0, MakeColour(0, 2, 1));
  source.SetPixel(0, 1, MakeColour(0, 1, 0));
  source.SetPixel(1, 1, MakeColour(3, 2, 1));
  Bitmap24 result(4, 4, 0xFFFFFF);
  ResampleSmooth(source, result);
  EXPECT_EQ(result.Pixel(2, 2), MakeColour(1, 2, 0));
  EXPECT_EQ(result.Pixel(0, 0), source.Pixel(0, 0));
}

TEST(ResampleSmooth, LineReachesThreeQuartersOfTheWay) {
  // Position c / (Wd / (Ws − 1)): 0, 0.25, 0.5, 0.75 of the way from 0 to 200, rounded.
  Bitmap24 result(4, 1);
  ResampleSmooth(GreyRow({0, 200}), result);
  EXPECT_EQ(result, GreyRow({0, 50, 100, 150}));
}

TEST(ResampleSmooth, SourcesBelowTwoPixelsRepeatTheirLastRowOrColumn) {
  const Colour colour = MakeColour(3, 140, 250);
  Bitmap24 filled(5, 4, 0);
  ResampleSmooth(Bitmap24(1, 1, colour), filled);
  EXPECT_EQ(filled, Bitmap24(5, 4, colour));

  // One column, two rows: every column of a row gets the same value; row 1 is halfway.
  Bitmap24 result(3, 2, 0);
  ResampleSmooth(GreyColumn({0, 200}), result);
  for (int x = 0; x < 3; ++x) {
    EXPECT_EQ(result.Pixel(x, 0), 0u);
    EXPECT_EQ(result.Pixel(x, 1), MakeColour(100, 100, 100));
  }

  Bitmap24 empty(0, 0);
  ResampleSmooth(GreyRow({1, 2}), empty);
  EXPECT_TRUE(empty.Empty());
}

// ---- Quarter turns ----

TEST(RotateQuarter, TurnsBackAndRoundTrips) {
  const Bitmap24 original = NumberedPicture(5, 3);

  Bitmap24 there_and_back = original;
  RotateQuarter(there_and_back, 90);
  EXPECT_NE(there_and_back, original);
  RotateQuarter(there_and_back, -90);
  EXPECT_EQ(there_and_back, original);

  Bitmap24 four_turns = original;
  for (int i = 0; i < 4; ++i) RotateQuarter(four_turns, 90);
  EXPECT_EQ(four_turns, original);
}

struct CornerCase {
  int angle;
  int expectedX;  // where the top-left pixel of a 5 × 3 picture lands in the 3 × 5 result
  int expectedY;
};

TEST(RotateQuarter, TopLeftPixelLandsInTheTurnedCorner) {
  const CornerCase cases[] = {
      {90, 2, 0},    // clockwise: top-right
      {-90, 0, 4},   // counter-clockwise: bottom-left
      {180, 0, 4},   // any angle other than 90 turns counter-clockwise
      {0, 0, 4},
  };
  for (const CornerCase& turn : cases) {
    Bitmap24 picture(5, 3, 0);
    picture.SetPixel(0, 0, 0xFFFFFF);
    RotateQuarter(picture, turn.angle);
    ASSERT_EQ(picture.Width(), 3) << turn.angle;
    ASSERT_EQ(picture.Height(), 5) << turn.angle;
    EXPECT_EQ(picture.Pixel(turn.expectedX, turn.expectedY), 0xFFFFFFu) << turn.angle;
  }
}

TEST(RotateQuarterInto, MovesEveryPixelOfAPictureLargerThanATile) {
  // Sizes that are no multiple of any tile, so that partial tiles at both edges are covered.
  const Bitmap24 source = NumberedPicture(130, 67);
  for (const int direction : {-3, 0, 1, 5}) {
    Bitmap24 turned(2, 2, 0);
    RotateQuarterInto(direction, source, turned);
    ASSERT_EQ(turned.Width(), 67);
    ASSERT_EQ(turned.Height(), 130);
    const bool clockwise = direction >= 1;
    for (int y = 0; y < source.Height(); ++y) {
      for (int x = 0; x < source.Width(); ++x) {
        const int tx = clockwise ? source.Height() - 1 - y : y;
        const int ty = clockwise ? x : source.Width() - 1 - x;
        ASSERT_EQ(turned.Pixel(tx, ty), source.Pixel(x, y)) << "direction " << direction << " at " << x << "," << y;
      }
    }
  }
}

// ---- Sheet cells ----

TEST(CopySheetCell, CopiesTheCellRectangleIntoTheTopLeft) {
  const Bitmap24 sheet = NumberedPicture(1280, 512);
  Bitmap24 cell(256, 256, 0);
  CopySheetCell(sheet, cell, 256, 256, 4, 1);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) ASSERT_EQ(cell.Pixel(x, y), sheet.Pixel(1024 + x, 256 + y)) << x << "," << y;
  }

  // A larger destination keeps its size and everything beyond the cell.
  Bitmap24 larger(300, 280, 0xABCDEF);
  CopySheetCell(sheet, larger, 256, 256, 4, 1);
  EXPECT_EQ(larger.Width(), 300);
  EXPECT_EQ(larger.Pixel(255, 255), sheet.Pixel(1279, 511));
  EXPECT_EQ(larger.Pixel(256, 0), 0xABCDEFu);
  EXPECT_EQ(larger.Pixel(0, 256), 0xABCDEFu);
}

struct ClippedCellCase {
  const char* name;
  int destinationWidth, destinationHeight;
  int cellWidth, cellHeight, column, row;
  int copiedWidth, copiedHeight;  // the copied block at D's top-left
};

TEST(CopySheetCell, CellsReachingPastTheSheetOrTheDestinationAreCut) {
  const Bitmap24 sheet = NumberedPicture(100, 60);
  const ClippedCellCase cases[] = {
      {"cell past the right and bottom edges", 40, 40, 40, 40, 2, 1, 20, 20},
      {"cell wholly outside", 40, 40, 40, 40, 3, 0, 0, 0},
      {"destination smaller than the cell", 10, 5, 40, 40, 1, 0, 10, 5},
      {"negative column", 40, 40, 40, 40, -1, 0, 0, 0},
  };
  const Colour untouched = 0x010203;
  for (const ClippedCellCase& c : cases) {
    SCOPED_TRACE(c.name);
    Bitmap24 cell(c.destinationWidth, c.destinationHeight, untouched);
    CopySheetCell(sheet, cell, c.cellWidth, c.cellHeight, c.column, c.row);
    ASSERT_EQ(cell.Width(), c.destinationWidth);
    for (int y = 0; y < cell.Height(); ++y) {
      for (int x = 0; x < cell.Width(); ++x) {
        const bool copied = x < c.copiedWidth && y < c.copiedHeight;
        const Colour expected =
            copied ? sheet.Pixel(c.column * c.cellWidth + x, c.row * c.cellHeight + y) : untouched;
        ASSERT_EQ(cell.Pixel(x, y), expected) << x << "," << y;
      }
    }
  }
}

}  // namespace
}  // namespace atelion
