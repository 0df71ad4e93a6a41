#include "styles/painting/edge_strokes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "core/filters.h"
#include "finishing/texture.h"
#include "support/synthetic_photos.h"

namespace atelion {
namespace {

// ---- A slow, literal version of the layer, written from the description of the strokes ----

int Brightness(const Bitmap24& picture, int x, int y) {
  const Colour c = picture.Pixel(x, y);
  return (30 * RedOf(c) + 59 * GreenOf(c) + 11 * BlueOf(c)) / 100;
}

// Draws the strokes of the centre rows 1..lastRow (no finishing touches).
Bitmap24 ReferenceLayer(const Bitmap24& source, int threshold, int fade, int lengthFactor, int lastRow) {
  const int w = source.Width(), h = source.Height();
  Bitmap24 layer(w, h, 0xFFFFFF);
  for (int y = 1; y <= std::min(h - 2, lastRow); ++y) {
    for (int x = 1; x <= w - 2; ++x) {
      auto p = [&](int row, int column) { return Brightness(source, x + column - 1, y + row - 1); };
      int gx = (p(0, 0) - p(0, 2) + 2 * p(1, 0) - 2 * p(1, 2) + p(2, 0) - p(2, 2)) / 4;
      int gy = (p(0, 0) + 2 * p(0, 1) + p(0, 2) - p(2, 0) - 2 * p(2, 1) - p(2, 2)) / 4;
      gx = std::clamp(gx, -255, 255);
      gy = std::clamp(gy, -255, 255);
      const int m = (std::abs(gx) + std::abs(gy)) >> 1;
      if (m < threshold || std::abs(std::abs(gx) - std::abs(gy)) <= 1) continue;
      const double a = gx == 0 ? 3.14159 : std::atan(static_cast<double>(gy) / gx) + 1.5707;
      const int n = ((m >> 2) * lengthFactor) / 50;
      for (int i = 0; i <= n; ++i) {
        const int d = ((m >> 1) * lengthFactor) / 50 - i - (150 - fade) / 4;
        if (d <= 0) break;
        const int dx = static_cast<int>(std::floor(i * std::cos(a)));
        const int dy = static_cast<int>(std::floor(i * std::sin(a)));
        for (int sign : {-1, 1}) {
          const int px = x + sign * dx, py = y + sign * dy;
          if (px < 0 || px > w - 2 || py < 0 || py > h - 2) continue;
          const Colour c = layer.Pixel(px, py);
          layer.SetPixel(px, py, MakeColour(std::max(RedOf(c) - d, 0), std::max(GreenOf(c) - d, 0),
                                            std::max(BlueOf(c) - d, 0)));
        }
      }
    }
  }
  return layer;
}

using testing_support::NoisySyntheticPhoto;

const SurfaceSettings kNoFinishing{};

TEST(DirectionTable, HoldsTheShortConstantsAndTheArctangentPlusAQuarterTurn) {
  const DirectionTable& table = DirectionTable::Instance();
  EXPECT_EQ(table.Angle(0, 0), 3.14159);
  EXPECT_EQ(table.Angle(0, -255), 3.14159);
  EXPECT_EQ(table.Angle(0, 255), 3.14159);
  EXPECT_EQ(table.Angle(7, 0), 1.5707);
  EXPECT_EQ(table.Angle(-200, 0), 1.5707);
  EXPECT_EQ(table.Angle(1, 1), std::atan(1.0) + 1.5707);
  EXPECT_EQ(table.Angle(-3, 4), std::atan(-4.0 / 3.0) + 1.5707);
  EXPECT_EQ(table.Angle(255, -255), std::atan(-1.0) + 1.5707);
  EXPECT_EQ(&table, &DirectionTable::Instance());
}

TEST(EdgeStrokes, MatchesTheLiteralStrokeRulesOnSyntheticPhotos) {
  struct Case {
    int threshold, fade, lengthFactor;
  };
  // The arguments of the styles that use the layer, and a negative fade shift.
  const Case cases[] = {{4, 180, 20}, {15, 190, 17}, {44, 210, 15}, {0, 100, 60}};
  for (unsigned seed = 1; seed <= 3; ++seed) {
    const Bitmap24 source = NoisySyntheticPhoto(37 + 5 * seed, 29 + 3 * seed, seed);
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << "seed " << seed << " threshold " << c.threshold);
      RunContext context;
      Bitmap24 layer;
      EXPECT_TRUE(EdgeStrokes(source, layer, c.threshold, c.fade, c.lengthFactor, false, kNoFinishing, context));
      EXPECT_EQ(layer, ReferenceLayer(source, c.threshold, c.fade, c.lengthFactor, source.Height()));
    }
  }
}

TEST(EdgeStrokes, ContourAcrossGivesAHorizontalStrokeDarkestAtTheCentre) {
  // One centre only: a grey patch of three pixels in row 0 gives gy = 202, gx = 0 (m = 101) at
  // (15, 1); its neighbours reach m = 100, below the threshold.
  Bitmap24 source(30, 3, 0xFFFFFF);
  for (int x = 14; x <= 16; ++x) source.SetPixel(x, 0, MakeColour(53, 53, 53));
  RunContext context;
  Bitmap24 layer;
  EdgeStrokes(source, layer, 101, 180, 20, false, kNoFinishing, context);
  // n = 10 steps, darkness 27 − i; the centre is darkened twice at i = 0; dx = −i, dy = 0.
  for (int x = 0; x < 30; ++x) {
    const int i = std::abs(x - 15);
    const int expected = i == 0 ? 255 - 2 * 27 : (i <= 10 ? 255 - (27 - i) : 255);
    EXPECT_EQ(layer.Pixel(x, 1), MakeColour(expected, expected, expected)) << x;
    EXPECT_EQ(layer.Pixel(x, 0), 0xFFFFFFu);
    EXPECT_EQ(layer.Pixel(x, 2), 0xFFFFFFu);
  }
}

TEST(EdgeStrokes, ContourUpAndDownGivesAVerticalStrokeShiftedByTheShortQuarterTurn) {
  // One centre at (1, 15) with gx = −202, gy = 0. The angle 1.5707 has a sine just below 1,
  // so step i lands at dy = i − 1: the centre is darkened at i = 0 and again at i = 1.
  Bitmap24 source(3, 30, 0xFFFFFF);
  for (int y = 14; y <= 16; ++y) source.SetPixel(0, y, MakeColour(53, 53, 53));
  RunContext context;
  Bitmap24 layer;
  EdgeStrokes(source, layer, 101, 180, 20, false, kNoFinishing, context);
  for (int y = 0; y < 30; ++y) {
    const int k = std::abs(y - 15);
    const int expected = k == 0 ? 255 - 2 * 27 - 2 * 26 : (k <= 9 ? 255 - (27 - (k + 1)) : 255);
    EXPECT_EQ(layer.Pixel(1, y), MakeColour(expected, expected, expected)) << y;
    EXPECT_EQ(layer.Pixel(0, y), 0xFFFFFFu);
    EXPECT_EQ(layer.Pixel(2, y), 0xFFFFFFu);
  }
}

TEST(EdgeStrokes, NeverDarkensTheLastRowAndColumn) {
  const Bitmap24 source = NoisySyntheticPhoto(40, 30, 9);
  RunContext context;
  Bitmap24 layer;
  EdgeStrokes(source, layer, 0, 255, 80, false, kNoFinishing, context);
  int darkened = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) darkened += layer.Pixel(x, y) != 0xFFFFFFu;
  }
  EXPECT_GT(darkened, 300);
  for (int x = 0; x < 40; ++x) EXPECT_EQ(layer.Pixel(x, 29), 0xFFFFFFu) << x;
  for (int y = 0; y < 30; ++y) EXPECT_EQ(layer.Pixel(39, y), 0xFFFFFFu) << y;
}

TEST(EdgeStrokes, FlatAndTinyPicturesGiveWhitePaperWithTheFinishingTouches) {
  SurfaceSettings finishing;
  finishing.softenEdges = true;
  finishing.texture.enabled = true;
  finishing.texture.strength = 40;
  finishing.textureTile = NoisySyntheticPhoto(256, 256, 4);
  const Bitmap24 pictures[] = {Bitmap24(25, 20, MakeColour(90, 120, 30)), NoisySyntheticPhoto(2, 9, 1),
                               NoisySyntheticPhoto(9, 2, 2), NoisySyntheticPhoto(1, 1, 3)};
  for (const Bitmap24& source : pictures) {
    SCOPED_TRACE(::testing::Message() << source.Width() << " x " << source.Height());
    RunContext context;
    Bitmap24 plain, finished;
    EdgeStrokes(source, plain, 4, 180, 20, false, kNoFinishing, context);
    EXPECT_EQ(plain, Bitmap24(source.Width(), source.Height(), 0xFFFFFF));
    EdgeStrokes(source, finished, 4, 180, 20, false, finishing, context);
    Bitmap24 expected = plain;
    Soften(expected);
    ApplyTexture(expected, finishing.textureTile, 40);
    EXPECT_EQ(finished, expected);
  }
}

TEST(EdgeStrokes, AbortStopsAFullSizeLayerAfterTwentyRowsWithoutFinishingButNotAPreview) {
  const Bitmap24 source = NoisySyntheticPhoto(30, 60, 5);
  SurfaceSettings finishing;
  finishing.softenEdges = true;

  RunContext context;
  context.AbortRequested = true;
  Bitmap24 layer;
  EXPECT_FALSE(EdgeStrokes(source, layer, 4, 180, 20, false, finishing, context));
  EXPECT_EQ(layer, ReferenceLayer(source, 4, 180, 20, 20));

  EXPECT_TRUE(EdgeStrokes(source, layer, 4, 180, 20, true, finishing, context));
  Bitmap24 whole = ReferenceLayer(source, 4, 180, 20, source.Height());
  Soften(whole);
  EXPECT_EQ(layer, whole);
}

}  // namespace
}  // namespace atelion
