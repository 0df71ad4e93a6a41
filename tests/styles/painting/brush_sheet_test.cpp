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
  int margin = 0;                // distance from the nearest non-white pixel to the edge
};

MaskSummary Summarise(const Bitmap24& picture, int left, int top, int size, int border) {
  MaskSummary summary;
  summary.margin = size / 2;
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
      const bool white = p[0] == 255 && p[1] == 255 && p[2] == 255;
      if (inBorder && !white) summary.borderWhite = false;
      if (!white) summary.margin = std::min({summary.margin, x, y, size - 1 - x, size - 1 - y});
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
    // Clearing the border would cut a mark that reached it along a straight line.
    EXPECT_GE(summary.margin, 8) << "a mark must end by itself, well inside its cell";

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

// The paint weight (255 − red) a style reads from a brush picture.
int PaintWeight(const Bitmap24& picture, int x, int y) {
  const int red = picture.Row(y)[3 * x + 2];
  return red < 245 ? 255 - red : 0;
}

// How much paint lies at the rim of a mark compared with its middle: the first and last
// `endBand` pixels of every row and the first and last `sideBand` pixels of every column that
// cross the mark, against the rest of those rows and columns.
struct RimShares {
  double ends = 0;   // along the stroke: where the brush touches down and lifts
  double sides = 0;  // across the stroke
};

RimShares MeasureRims(const Bitmap24& picture, int endBand, int sideBand) {
  const int size = picture.Width();
  double rim[2] = {0, 0}, middle[2] = {0, 0};
  long rimCount[2] = {0, 0}, middleCount[2] = {0, 0};
  for (int pass = 0; pass < 2; ++pass) {
    const bool rows = pass == 0;
    const int band = rows ? endBand : sideBand;
    for (int line = 0; line < size; ++line) {
      auto weight = [&](int i) { return rows ? PaintWeight(picture, i, line) : PaintWeight(picture, line, i); };
      int first = -1, last = -1;
      for (int i = 0; i < size; ++i) {
        if (weight(i) == 0) continue;
        if (first < 0) first = i;
        last = i;
      }
      if (first < 0 || last - first < 4 * band) continue;
      for (int i = first; i <= last; ++i) {
        const bool atRim = i < first + band || i > last - band;
        const bool inMiddle = i >= first + 2 * band && i <= last - 2 * band;
        if (atRim) rim[pass] += weight(i), ++rimCount[pass];
        if (inMiddle) middle[pass] += weight(i), ++middleCount[pass];
      }
    }
  }
  RimShares shares;
  shares.ends = (rim[0] / rimCount[0]) / (middle[0] / middleCount[0]);
  shares.sides = (rim[1] / rimCount[1]) / (middle[1] / middleCount[1]);
  return shares;
}

TEST(BrushSheet, StrokesTheStylesStartWithHaveSoftRaggedRims) {
  // Painting 7 begins with cell 0, Painting 8 stamps cells 11 and 36 in ten turns. A mark with a
  // hard rim (a slab or a pill of even paint) stamps a mosaic of its outline; a bristle dab
  // thins out where the bristles touch down and lift and along its sides, where they break up.
  // Slabs and pills keep more than 0.75 of their middle's paint at the rim.
  for (const int cell : {0, 11, 36}) {
    SCOPED_TRACE(cell);
    const RimShares shares = MeasureRims(GenerateBrushCell(cell), 15, 8);
    EXPECT_LT(shares.ends, 0.7);
    EXPECT_LT(shares.sides, 0.7);
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
