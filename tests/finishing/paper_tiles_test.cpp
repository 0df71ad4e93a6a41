#include "finishing/paper_tiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace atelion {
namespace {

double MeanGrey(const Bitmap24& tile) {
  double sum = 0;
  for (int y = 0; y < kTextureTilePeriod; ++y) {
    for (int x = 0; x < kTextureTilePeriod; ++x) sum += tile.Row(y)[3 * x];
  }
  return sum / (kTextureTilePeriod * kTextureTilePeriod);
}

// Mean absolute difference between column a and column b (or rows, when `rows` is set).
double EdgeDifference(const Bitmap24& tile, int a, int b, bool rows) {
  double sum = 0;
  for (int i = 0; i < kTextureTilePeriod; ++i) {
    const int va = rows ? tile.Row(a)[3 * i] : tile.Row(i)[3 * a];
    const int vb = rows ? tile.Row(b)[3 * i] : tile.Row(i)[3 * b];
    sum += std::abs(va - vb);
  }
  return sum / kTextureTilePeriod;
}

TEST(PaperTiles, EachTileIsGreyCentredOn128AndSeamlessAtItsPeriod) {
  for (int index = 0; index < kTextureTileCount; ++index) {
    SCOPED_TRACE(index);
    const Bitmap24 tile = GeneratePaperTile(index);
    ASSERT_EQ(tile.Width(), kTextureTileSize);
    ASSERT_EQ(tile.Height(), kTextureTileSize);
    for (int y = 0; y < tile.Height(); ++y) {
      const std::uint8_t* row = tile.Row(y);
      for (int x = 0; x < tile.Width(); ++x) {
        ASSERT_EQ(row[3 * x], row[3 * x + 1]);
        ASSERT_EQ(row[3 * x], row[3 * x + 2]);
      }
    }
    EXPECT_NEAR(MeanGrey(tile), 128.0, 3.0);
    // The step from the last used column back to the first must look like any other step
    // between neighbours: no visible seam where the tile repeats.
    double inner = 0;
    for (int x = 0; x + 1 < kTextureTilePeriod; ++x) inner += EdgeDifference(tile, x, x + 1, false);
    inner /= kTextureTilePeriod - 1;
    EXPECT_LT(EdgeDifference(tile, kTextureTilePeriod - 1, 0, false), 1.5 * inner + 1.0);
    double innerRows = 0;
    for (int y = 0; y + 1 < kTextureTilePeriod; ++y) innerRows += EdgeDifference(tile, y, y + 1, true);
    innerRows /= kTextureTilePeriod - 1;
    EXPECT_LT(EdgeDifference(tile, kTextureTilePeriod - 1, 0, true), 1.5 * innerRows + 1.0);
    // A paper has visible grain: not a flat grey.
    EXPECT_GT(inner + innerRows, 1.0);
  }
}

TEST(PaperTiles, SheetHoldsTheTilesInFiveColumnsAndIsReproducible) {
  const Bitmap24 sheet = GenerateTextureSheet();
  ASSERT_EQ(sheet.Width(), 1280);
  ASSERT_EQ(sheet.Height(), 512);
  EXPECT_EQ(sheet, GenerateTextureSheet());
  const Bitmap24 tile7 = GeneratePaperTile(7);  // column 2, row 1
  for (int y = 0; y < kTextureTileSize; ++y) {
    ASSERT_EQ(0, std::memcmp(tile7.Row(y), sheet.Row(256 + y) + 3 * 512, tile7.RowBytes())) << y;
  }
  EXPECT_NE(GeneratePaperTile(0), GeneratePaperTile(1));
}

}  // namespace
}  // namespace atelion
