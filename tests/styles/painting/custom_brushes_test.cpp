#include "styles/painting/custom_brushes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/rotate_bitmap.h"
#include "core/run_context.h"
#include "imageio/image_files.h"
#include "styles/painting/brush_pictures.h"
#include "support/test_files.h"

namespace atelion {
namespace {

using testing_support::TempFolder;

// A transparent picture with alpha 255 (and black colour) inside the box, transparent outside.
Bitmap32 Block(int width, int height, int left, int top, int right, int bottom) {
  Bitmap32 picture(width, height, 0);
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) picture.Row(y)[4 * x + 3] = 255;
  }
  return picture;
}

int DarkPixels(const Bitmap24& picture) {
  int count = 0;
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) count += picture.Pixel(x, y) == 0 ? 1 : 0;
  }
  return count;
}

// ---- The stamp of Paintings 7 and 8 ----

TEST(SquareCustomBrush, CentresThePictureOnAWhiteSquareOfTheGivenSide) {
  struct Case {
    int width, height, side;
  } const cases[] = {{100, 100, 142}, {200, 50, 284}, {50, 201, 285}, {1, 1, 1}, {7, 1, 9}, {3, 1000, 1420}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    const Bitmap24 square = SquareCustomBrush(Bitmap24(c.width, c.height, 0x000000));
    ASSERT_EQ(square.Width(), c.side);
    ASSERT_EQ(square.Height(), c.side);
    const int left = (c.side - c.width) / 2, top = (c.side - c.height) / 2;
    EXPECT_EQ(DarkPixels(square), c.width * c.height);
    EXPECT_EQ(square.Pixel(left, top), 0u);
    EXPECT_EQ(square.Pixel(left + c.width - 1, top + c.height - 1), 0u);
    if (c.side > c.width) {
      EXPECT_EQ(square.Pixel(left + c.width, top), 0xFFFFFFu);
    }
  }
}

// The stamp is turned by any angle within its own size; a brush that fills its picture must not
// lose its corners on the way.
TEST(SquareCustomBrush, KeepsEveryCornerOfAFilledBrushWhenTurned) {
  const Bitmap24 filled(120, 120, 0x000000);
  RunContext context;
  for (const int angle : {20, 45, 134, 301}) {
    SCOPED_TRACE(angle);
    Bitmap24 turnedRaw, turnedSquare;
    RotateBitmap(filled, turnedRaw, angle, context);
    RotateBitmap(SquareCustomBrush(filled), turnedSquare, angle, context);
    // The bare picture loses its corners (the fault mended by the square) ...
    EXPECT_LT(DarkPixels(turnedRaw), filled.Width() * filled.Height() * 9 / 10);
    // ... while on its square every pixel of it comes through the turn.
    EXPECT_NEAR(DarkPixels(turnedSquare), filled.Width() * filled.Height(), filled.Width() * 2);
    EXPECT_EQ(turnedSquare.Pixel(0, 0), 0xFFFFFFu);
  }
}

// ---- Stroke brushes of Painting 4 ----

TEST(StretchStrokeBrush, StretchesAnyPictureTo512By256) {
  for (const auto& [width, height] : std::vector<std::pair<int, int>>{{10, 300}, {1000, 20}, {1, 1}, {512, 256}}) {
    SCOPED_TRACE(testing::Message() << width << " x " << height);
    Bitmap32 picture = Block(width, height, 0, 0, width - 1, height - 1);
    const Bitmap32 brush = StretchStrokeBrush(picture);
    EXPECT_EQ(brush.Width(), kStrokeBrushWidth);
    EXPECT_EQ(brush.Height(), kStrokeBrushHeight);
    EXPECT_EQ(CountDensePixels(brush), kStrokeBrushWidth * kStrokeBrushHeight);
  }
  const Bitmap32 empty = StretchStrokeBrush(Bitmap32());
  EXPECT_EQ(empty.Width(), kStrokeBrushWidth);
  EXPECT_EQ(CountDensePixels(empty), 0);
}

// The trimming done literally: scan each side for the first dense line other than the edge one.
struct Trim {
  int left, top, right, bottom;
};
Trim LiteralTrim(const Bitmap32& R) {
  const int W = R.Width(), H = R.Height();
  auto row = [&](int y) {
    int s = 0;
    for (int x = 0; x < W; ++x) s += R.Row(y)[4 * x + 3];
    return s;
  };
  auto column = [&](int x) {
    int s = 0;
    for (int y = 0; y < H; ++y) s += R.Row(y)[4 * x + 3];
    return s;
  };
  Trim t{0, 0, W - 1, H - 1};
  for (int y = 0; y <= H / 2; ++y) {
    if (row(y) > 2499) {
      t.top = y;
      if (y != 0) break;
    }
  }
  for (int y = H - 1; y >= H / 2; --y) {
    if (row(y) > 2499) {
      t.bottom = y;
      if (y != H - 1) break;
    }
  }
  for (int x = 0; x <= W / 2; ++x) {
    if (column(x) > 2499) {
      t.left = x;
      if (x != 0) break;
    }
  }
  for (int x = W - 1; x >= W / 2; --x) {
    if (column(x) > 2499) {
      t.right = x;
      if (x != W - 1) break;
    }
  }
  return t;
}

TEST(TrimBrush, CutsToTheFirstDenseRowsAndColumnsAsTheLiteralScanDoes) {
  struct Case {
    const char* name;
    Bitmap32 picture;
    int width, height;  // of the trimmed picture
  };
  Bitmap32 firstRowDense = Block(40, 30, 0, 0, 39, 20);  // rows 0..20 dense: the top is row 1
  Bitmap32 faint = Block(40, 30, 5, 4, 34, 24);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) faint.Row(y)[4 * x + 3] /= 4;  // 30 × 63 < 2500 per row
  }
  Bitmap32 withGap = Block(60, 40, 10, 8, 49, 31);
  for (int x = 10; x <= 49; ++x) withGap.Row(12)[4 * x + 3] = 0;
  const Case cases[] = {
      {"block", Block(40, 30, 5, 4, 34, 24), 29, 20},
      {"first row dense", std::move(firstRowDense), 37, 19},
      {"nothing dense", std::move(faint), 39, 29},
      {"a hollow row inside", std::move(withGap), 39, 23},
      {"block past the middle", Block(50, 50, 30, 30, 45, 45), 45, 45},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Trim t = LiteralTrim(c.picture);
    const Bitmap32 trimmed = TrimBrush(c.picture);
    ASSERT_EQ(trimmed.Width(), t.right - t.left);
    ASSERT_EQ(trimmed.Height(), t.bottom - t.top);
    EXPECT_EQ(trimmed.Width(), c.width);
    EXPECT_EQ(trimmed.Height(), c.height);
    for (int y = 0; y < trimmed.Height(); ++y) {
      for (int x = 0; x < trimmed.Width(); ++x) {
        ASSERT_EQ(trimmed.Row(y)[4 * x + 3], c.picture.Row(y + t.top)[4 * (x + t.left) + 3]) << x << "," << y;
      }
    }
  }
}

TEST(TrimBrush, GivesBackPicturesThatWouldTrimToNothing) {
  for (const Bitmap32& picture : {Bitmap32(1, 1, 255), Bitmap32(1, 50, 255), Bitmap32(50, 1, 255), Bitmap32()}) {
    const Bitmap32 trimmed = TrimBrush(picture);
    EXPECT_EQ(trimmed, picture);
  }
}

// A slanted bar: turned upright by the optimisation it fills far more of the frame.
Bitmap32 SlantedBar(int angle) {
  const Bitmap32 bar = Block(400, 60, 0, 0, 399, 59);
  Bitmap32 turned;
  RotateBitmap32(bar, turned, angle);
  return turned;
}

TEST(OptimizeStrokeBrush, TurnsASlantedBrushToFillItsFrame) {
  for (const int slant : {30, 60, 140}) {
    SCOPED_TRACE(slant);
    Bitmap32 brush = StretchStrokeBrush(SlantedBar(slant));
    const int before = CountDensePixels(brush);
    std::vector<int> angles;
    const int angle = OptimizeStrokeBrush(brush, nullptr, [&](const BrushTrial& trial) {
      angles.push_back(trial.angle);
      EXPECT_EQ(trial.stretched->Width(), kStrokeBrushWidth);
    });
    ASSERT_EQ(angles.size(), 90u);
    EXPECT_EQ(angles.front(), 0);
    EXPECT_EQ(angles.back(), 178);
    EXPECT_NE(angle, 0);
    EXPECT_EQ(brush.Width(), kStrokeBrushWidth);
    EXPECT_EQ(brush.Height(), kStrokeBrushHeight);
    EXPECT_GT(CountDensePixels(brush), before * 3 / 2);
    EXPECT_GT(CountDensePixels(brush), kStrokeBrushWidth * kStrokeBrushHeight * 8 / 10);
  }
}

TEST(OptimizeStrokeBrush, AStopKeepsTheBestAngleSoFar) {
  Bitmap32 upright = StretchStrokeBrush(Block(400, 60, 0, 0, 399, 59));
  std::atomic<bool> stop = true;
  Bitmap32 stopped = upright;
  EXPECT_EQ(OptimizeStrokeBrush(stopped, &stop), 0);
  EXPECT_EQ(stopped, StretchStrokeBrush(TrimBrush(upright)));
  // An upright brush already fills its frame: no angle beats 0, the first of the ties.
  EXPECT_EQ(OptimizeStrokeBrush(upright), 0);
}

// ---- The sheet of Painting 11 ----

TEST(BuildCustomBrushSheet, HasOneRowOfEightCellsMoreThanItFillsUpTo240) {
  struct Case {
    int pictures, height, count;
  } const cases[] = {{0, 256, 0}, {1, 256, 1}, {7, 256, 7}, {8, 512, 8}, {239, 7680, 239}, {240, 7680, 240},
                     {245, 7680, 240}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pictures);
    const std::vector<Bitmap32> pictures(static_cast<std::size_t>(c.pictures), Bitmap32(4, 4, 255));
    const CustomBrushSheetPicture sheet = BuildCustomBrushSheet(pictures);
    EXPECT_EQ(sheet.sheet.Width(), 2048);
    EXPECT_EQ(sheet.sheet.Height(), c.height);
    EXPECT_EQ(sheet.count, c.count);
    EXPECT_EQ(CountDensePixels(sheet.sheet), c.count * 256 * 256);
  }
}

TEST(BuildCustomBrushSheet, FitsEachPictureByItsLongerSideIntoItsCentredCell) {
  struct Case {
    int width, height;
    int fittedWidth, fittedHeight;
  } const cases[] = {{512, 64, 256, 32}, {64, 512, 32, 256}, {100, 100, 256, 256}, {3, 1, 256, 85}};
  std::vector<Bitmap32> pictures;
  for (const Case& c : cases) pictures.push_back(Block(c.width, c.height, 0, 0, c.width - 1, c.height - 1));
  pictures.emplace_back();  // an unreadable picture leaves its cell empty
  const CustomBrushSheetPicture sheet = BuildCustomBrushSheet(pictures);
  ASSERT_EQ(sheet.count, 5);
  for (int i = 0; i < 4; ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(i);
    const int left = 256 * i + (256 - c.fittedWidth) / 2, top = (256 - c.fittedHeight) / 2;
    int dense = 0;
    for (int y = 0; y < 256; ++y) {
      for (int x = 256 * i; x < 256 * (i + 1); ++x) {
        const bool inside = x >= left && x < left + c.fittedWidth && y >= top && y < top + c.fittedHeight;
        const bool opaque = sheet.sheet.Row(y)[4 * x + 3] == 255;
        ASSERT_EQ(opaque, inside) << x << "," << y;
        dense += opaque ? 1 : 0;
      }
    }
    EXPECT_EQ(dense, c.fittedWidth * c.fittedHeight);
  }
  for (int y = 0; y < 256; ++y) {
    for (int x = 1024; x < 1280; ++x) ASSERT_EQ(sheet.sheet.Row(y)[4 * x + 3], 0);
  }
}

TEST(LoadTransparentBrush, NamesTheFileWhenItCannotBeRead) {
  TempFolder folder;
  Bitmap32 brush(3, 3, 7);
  const Status missing = LoadTransparentBrush(folder / "missing.png", brush);
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.message().find("missing.png"), std::string::npos);
  EXPECT_EQ(brush, Bitmap32(3, 3, 7));
  const Bitmap24 opaque(5, 4, 0x102030);
  ASSERT_TRUE(SaveImageFile(opaque, folder / "b.png", ImageFormat::Png));
  ASSERT_TRUE(LoadTransparentBrush(folder / "b.png", brush));
  EXPECT_EQ(brush.Width(), 5);
  EXPECT_EQ(CountDensePixels(brush), 20);
}

}  // namespace
}  // namespace atelion
