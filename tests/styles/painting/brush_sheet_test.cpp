#include "styles/painting/brush_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "core/resources.h"

namespace atelion {
namespace {

// What the styles see of a brush picture read as a mask: paint where red < 245.
struct MaskSummary {
  int paintPixels = 0;
  int darkest = 255;
  int largestChannelSpread = 0;  // how far a pixel is from grey
  bool borderWhite = true;       // the outer 3 pixels are pure white in all channels
};

MaskSummary Summarise(const Bitmap24& picture, int left, int top, int size, int border) {
  MaskSummary summary;
  for (int y = 0; y < size; ++y) {
    const std::uint8_t* row = picture.Row(top + y);
    for (int x = 0; x < size; ++x) {
      const std::uint8_t* p = row + 3 * (left + x);
      const int red = p[2];
      if (red < 245) ++summary.paintPixels;
      summary.darkest = std::min(summary.darkest, red);
      const int spread = std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]});
      summary.largestChannelSpread = std::max(summary.largestChannelSpread, spread);
      const bool inBorder = x < border || y < border || x >= size - border || y >= size - border;
      if (inBorder && (p[0] != 255 || p[1] != 255 || p[2] != 255)) summary.borderWhite = false;
    }
  }
  return summary;
}

// Drawing the sheet takes a while in checked builds: draw it once for all tests.
const Bitmap24& GeneratedSheet() {
  static const Bitmap24 sheet = GenerateBrushSheet();
  return sheet;
}

TEST(BrushSheet, SheetIsFortyDarkMarksOnWhiteCellsLaidOutFiveByEight) {
  const Bitmap24& sheet = GeneratedSheet();
  ASSERT_EQ(sheet.Width(), 1250);
  ASSERT_EQ(sheet.Height(), 2000);
  for (int cell = 0; cell < kBrushSheetColumns * kBrushSheetRows; ++cell) {
    SCOPED_TRACE(cell);
    const int left = (cell % kBrushSheetColumns) * kBrushCellSize;
    const int top = (cell / kBrushSheetColumns) * kBrushCellSize;
    const MaskSummary summary = Summarise(sheet, left, top, kBrushCellSize, 3);
    // Every cell holds one clear mark: dark paint on a fair share of the cell, never all of it.
    EXPECT_GT(summary.paintPixels, kBrushCellSize * kBrushCellSize / 25);
    EXPECT_LT(summary.paintPixels, kBrushCellSize * kBrushCellSize * 6 / 10);
    EXPECT_LT(summary.darkest, 60);
    EXPECT_LE(summary.largestChannelSpread, 10);
    EXPECT_TRUE(summary.borderWhite) << "marks must not reach into the neighbouring cells";

    // The sheet is exactly the cells drawn one by one.
    const Bitmap24 single = GenerateBrushCell(cell);
    bool same = true;
    for (int y = 0; y < kBrushCellSize && same; ++y) {
      same = std::equal(single.Row(y), single.Row(y) + single.RowBytes(), sheet.Row(top + y) + 3 * left);
    }
    EXPECT_TRUE(same);
  }
}

TEST(BrushSheet, MarksHaveBristleTextureNotFlatFill) {
  // Inside a mark the paint varies from bristle to bristle: many distinct grey levels.
  for (const int cell : {0, 11, 36}) {
    SCOPED_TRACE(cell);
    const Bitmap24 picture = GenerateBrushCell(cell);
    int levels[256] = {};
    for (int y = 0; y < kBrushCellSize; ++y) {
      for (int x = 0; x < kBrushCellSize; ++x) ++levels[picture.Row(y)[3 * x + 2]];
    }
    const int distinctPaintLevels = static_cast<int>(std::count_if(levels, levels + 245, [](int n) { return n > 20; }));
    EXPECT_GT(distinctPaintLevels, 60);
  }
}

TEST(BrushSheet, GenerationIsDeterministic) {
  EXPECT_EQ(GenerateBrushSheet(), GeneratedSheet());
  EXPECT_EQ(GenerateCustomBrush(), GenerateCustomBrush());
}

TEST(BrushSheet, CellsOutsideTheSheetAreBlank) {
  for (const int cell : {-1, 40}) {
    const Bitmap24 picture = GenerateBrushCell(cell);
    EXPECT_EQ(picture, Bitmap24(kBrushCellSize, kBrushCellSize, 0xFFFFFF));
  }
}

TEST(BrushSheet, CustomBrushIsASmallDarkDabOnWhite) {
  const Bitmap24 brush = GenerateCustomBrush();
  ASSERT_EQ(brush.Width(), 64);
  ASSERT_EQ(brush.Height(), 64);
  const MaskSummary summary = Summarise(brush, 0, 0, 64, 1);
  EXPECT_GT(summary.paintPixels, 64 * 64 / 3);
  EXPECT_LT(summary.paintPixels, 64 * 64 * 9 / 10);
  EXPECT_LT(summary.darkest, 100);
  EXPECT_TRUE(summary.borderWhite);
}

TEST(BrushSheet, LoadersGiveTheShippedPicturesOnceAndEqualToTheGenerator) {
  // The build generates both files; the loaders read them rather than drawing again.
  EXPECT_FALSE(FindResource("brushes/brush_sheet.png").empty());
  EXPECT_FALSE(FindResource("brushes/custom_brush.png").empty());
  const Bitmap24& sheet = BrushSheet();
  EXPECT_EQ(&sheet, &BrushSheet());
  EXPECT_EQ(sheet, GeneratedSheet());
  const Bitmap24& brush = DefaultCustomBrush();
  EXPECT_EQ(&brush, &DefaultCustomBrush());
  EXPECT_EQ(brush, GenerateCustomBrush());
}

}  // namespace
}  // namespace atelion
