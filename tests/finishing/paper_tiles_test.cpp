#include "finishing/paper_tiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

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

// The grey values of the part of a tile the texture step reads, row by row.
std::vector<int> UsedGreys(const Bitmap24& tile) {
  std::vector<int> greys;
  for (int y = 0; y < kTextureTilePeriod; ++y) {
    for (int x = 0; x < kTextureTilePeriod; ++x) greys.push_back(tile.Row(y)[3 * x]);
  }
  return greys;
}

double StandardDeviation(const std::vector<double>& values) {
  const double mean = std::accumulate(values.begin(), values.end(), 0.0) / values.size();
  double sum = 0;
  for (const double v : values) sum += (v - mean) * (v - mean);
  return std::sqrt(sum / values.size());
}

TEST(PaperTiles, EveryTileIsAGentleReliefWithinADozenGreyLevels) {
  // At the default strength the texture step moves a pixel by exactly (128 − grey), so a tile
  // reaching far from 128 stains the picture instead of lending it the feel of paper.
  for (int index = 0; index < kTextureTileCount; ++index) {
    SCOPED_TRACE(index);
    std::vector<int> offsets;
    for (const int grey : UsedGreys(GeneratePaperTile(index))) offsets.push_back(std::abs(grey - 128));
    std::sort(offsets.begin(), offsets.end());
    EXPECT_LE(offsets.back(), 12);
    EXPECT_LE(offsets[offsets.size() * 99 / 100], 10);
  }
}

TEST(PaperTiles, NoTileShowsStripesOrBlotchesThatBetrayItsRepeat) {
  // Lines and blotches that span much of the tile come back every 255 pixels and show the
  // repeat. Column and row means are averaged over 9 neighbours first: the fine regular grid of
  // a canvas or the close lines of laid paper (under 9 pixels apart) are paper, not stripes.
  const int P = kTextureTilePeriod;
  for (int index = 0; index < kTextureTileCount; ++index) {
    SCOPED_TRACE(index);
    const std::vector<int> greys = UsedGreys(GeneratePaperTile(index));
    const double pixels = StandardDeviation(std::vector<double>(greys.begin(), greys.end()));
    std::vector<double> columns(P, 0.0), rows(P, 0.0);
    for (int y = 0; y < P; ++y) {
      for (int x = 0; x < P; ++x) {
        columns[x] += greys[y * P + x] / static_cast<double>(P);
        rows[y] += greys[y * P + x] / static_cast<double>(P);
      }
    }
    const auto smoothed = [P](const std::vector<double>& profile) {
      std::vector<double> out(P, 0.0);
      for (int i = 0; i < P; ++i) {
        for (int k = -4; k <= 4; ++k) out[i] += profile[(i + k + P) % P] / 9.0;
      }
      return out;
    };
    EXPECT_LT(StandardDeviation(smoothed(columns)), 0.2 * pixels) << "stripes down the tile";
    EXPECT_LT(StandardDeviation(smoothed(rows)), 0.2 * pixels) << "stripes across the tile";
    // Means of 5 × 5 blocks of 51 pixels: a blotch a fifth of the tile wide stands out.
    std::vector<double> blocks(25, 0.0);
    for (int y = 0; y < P; ++y) {
      for (int x = 0; x < P; ++x) blocks[(y / 51) * 5 + x / 51] += greys[y * P + x] / (51.0 * 51.0);
    }
    EXPECT_LT(StandardDeviation(blocks), 0.2 * pixels) << "blotches that repeat visibly";
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
