#include "styles/sketch/gradient_strokes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <tuple>

#include "core/filters.h"
#include "effects/run_pipeline.h"
#include "support/stop_at_pump.h"
#include "support/picture_checksum.h"

namespace atelion {
namespace {

using testing_support::StopAtPump;
using testing_support::NoisySyntheticPhoto;

GradientStrokeParameters Params(int T, int E, int S, int D, int K = 0) {
  return {.edgeThreshold = T, .edgeIntensity = E, .strokeLength = S, .darkenLighten = D, .colourIntensity = K};
}

// ---- The sketches done literally as described, with the angles computed directly ----

int Luma(const Bitmap24& picture, int x, int y) {
  const std::uint8_t* p = picture.Row(y) + 3 * x;
  return (30 * p[2] + 59 * p[1] + 11 * p[0]) / 100;
}

void Darken(Bitmap24& D, int px, int py, int h) {
  if (px < 0 || py < 0 || px > D.Width() - 2 || py > D.Height() - 2) return;
  std::uint8_t* p = D.Row(py) + 3 * px;
  p[2] = static_cast<std::uint8_t>(std::max(p[2] - h, 0));
  p[1] = static_cast<std::uint8_t>(std::max(p[1] - h, 0));
  p[0] = static_cast<std::uint8_t>(std::max(p[0] - h, 0));
}

void ReferenceSketch(const Bitmap24& S, Bitmap24& D, GradientStrokeParameters p, bool colour, std::uint32_t seed) {
  RandomGenerator rng;
  rng.RandomSeed = seed;
  const int W = S.Width(), H = S.Height();
  D = Bitmap24(W, H, 0xFFFFFF);
  for (int y = 1; y <= H - 2; ++y) {
    for (int x = 1; x <= W - 2; ++x) {
      const std::uint8_t* d = D.Row(y) + 3 * x;
      if (colour && d[0] + d[1] + d[2] == 0) continue;
      const int TL = Luma(S, x - 1, y - 1), TC = Luma(S, x, y - 1), TR = Luma(S, x + 1, y - 1);
      const int ML = Luma(S, x - 1, y), MC = Luma(S, x, y), MR = Luma(S, x + 1, y);
      const int BL = Luma(S, x - 1, y + 1), BC = Luma(S, x, y + 1), BR = Luma(S, x + 1, y + 1);
      int gx = ((TL + 2 * ML + BL) - (TR + 2 * MR + BR)) / 4;
      int gy = ((TL + 2 * TC + TR) - (BL + 2 * BC + BR)) / 4;
      gx = std::clamp(gx, -255, 255);
      gy = std::clamp(gy, -255, 255);
      const int A = (std::abs(gx) + std::abs(gy)) / 2;
      if (A >= p.edgeThreshold && std::abs(std::abs(gx) - std::abs(gy)) >= 2) {
        const double theta = gx == 0 ? 3.14159 : std::atan(static_cast<double>(gy) / gx) + 1.5707;
        const int n = ((A / 4) * p.strokeLength) / 50;
        const int base = colour ? ((A / 2) * p.strokeLength) / 50 : (A * p.strokeLength) / 100;
        const int offset = colour ? 130 : 150;
        for (int k = 0; k <= n; ++k) {
          const int h = base - k - (offset - p.edgeIntensity) / 4;
          if (h <= 0) break;
          const int dx = static_cast<int>(std::floor(k * std::cos(theta)));
          const int dy = static_cast<int>(std::floor(k * std::sin(theta)));
          Darken(D, x - dx, y - dy, h);
          Darken(D, x + dx, y + dy, h);
        }
      } else {
        int s = 382 - p.darkenLighten - 2 * MC;
        if (s < 0) s = 0;
        const int theta = rng.Random(3) + MC / 8;
        for (int k = 0; k <= s / 32; ++k) {
          const int h = s / 12 - k;
          if (h <= 0) break;
          const int dx = static_cast<int>(std::floor(k * std::cos(static_cast<double>(theta))));
          const int dy = static_cast<int>(std::floor(k * std::sin(static_cast<double>(theta))));
          Darken(D, x - dx, y - dy, h);
          Darken(D, x + dx, y + dy, h);
        }
      }
    }
  }
  if (colour) {
  for (int y = 1; y <= H - 2; ++y) {
    for (int x = 1; x <= W - 2; ++x) {
      int a[3], m[3];
      for (int c = 0; c < 3; ++c) {
        const int s = S.Row(y)[3 * x + c], d = D.Row(y)[3 * x + c];
        a[c] = ((255 - s) * (255 - d)) / 256;
        m[c] = (d * s) / 256;
      }
      for (int c = 0; c < 3; ++c) {
        const int v = ((255 - a[c]) * (255 - p.colourIntensity) + m[c] * p.colourIntensity) / 256;
        D.Row(y)[3 * x + c] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
      }
    }
  }
  RunContext context;
  AdjustSaturation(D, 25, context);
  }
  // The outermost rows and columns the strokes or the colours do not reach repeat their inner
  // neighbours: the last column, then the last row (the coloured sketch also the first ones).
  if (W < 3 || H < 3) return;
  for (int y = 0; y < H; ++y) {
    D.SetPixel(W - 1, y, D.Pixel(W - 2, y));
    if (colour) D.SetPixel(0, y, D.Pixel(1, y));
  }
  for (int x = 0; x < W; ++x) {
    D.SetPixel(x, H - 1, D.Pixel(x, H - 2));
    if (colour) D.SetPixel(x, 0, D.Pixel(x, 1));
  }
}

Bitmap24 Sketch(bool colour, const Bitmap24& source, GradientStrokeParameters p, std::uint32_t seed,
                const SurfaceSettings& surface = {}, bool preview = false) {
  RunContext context;
  context.Rng.RandomSeed = seed;
  Bitmap24 out;
  if (colour) {
    ColourSobel(source, out, p, surface, {.preview = preview}, context);
  } else {
    SobelFilter(source, out, p, surface, {.preview = preview}, context);
  }
  return out;
}

TEST(GradientStrokes, SlidersAreReadInSlotOrderWithinTheirRanges) {
  const GradientStrokeParameters p = GradientStrokeParametersFrom(kPencilSketch3EffectId, {10, 200, 20, 50, 50});
  EXPECT_EQ(std::tie(p.edgeThreshold, p.edgeIntensity, p.strokeLength, p.darkenLighten, p.colourIntensity),
            std::make_tuple(10, 200, 20, 50, 50));
  const GradientStrokeParameters q = GradientStrokeParametersFrom(kPencilSketch2EffectId, {-3, 400, 150, 256, 9});
  EXPECT_EQ(std::tie(q.edgeThreshold, q.edgeIntensity, q.strokeLength, q.darkenLighten),
            std::make_tuple(0, 255, 100, 255));
}

TEST(GradientStrokes, MatchTheLiteralStrokeRules) {
  const struct {
    const char* name;
    int width, height;
    GradientStrokeParameters p;
  } cases[] = {
      {"grey-sketch defaults", 41, 33, Params(7, 127, 30, 127)},
      {"coloured-sketch defaults", 41, 33, Params(10, 200, 20, 50, 50)},
      {"every pixel an edge where it can be, long strokes", 37, 29, Params(0, 255, 100, 0, 255)},
      {"no edges, dark shading", 30, 24, Params(255, 0, 0, 0, 0)},
      {"light shading, short strokes", 30, 24, Params(5, 60, 5, 255, 128)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bitmap24 photo = NoisySyntheticPhoto(c.width, c.height);
    for (const bool colour : {false, true}) {
      SCOPED_TRACE(colour ? "coloured" : "grey");
      Bitmap24 expected;
      ReferenceSketch(photo, expected, c.p, colour, 4242);
      EXPECT_EQ(Sketch(colour, photo, c.p, 4242), expected);
      EXPECT_EQ(Sketch(colour, photo, c.p, 4242, {}, true), expected);  // the preview draws the same
    }
  }
}

// Black strokes made by earlier pixels are skipped by the coloured sketch, with no random draw;
// a dark photograph makes them.
TEST(GradientStrokes, TheColouredSketchSkipsPixelsAlreadyBlack) {
  const Bitmap24 dark(20, 20, 0x000000);
  Bitmap24 expected;
  ReferenceSketch(dark, expected, Params(10, 200, 20, 0, 255), true, 99);
  EXPECT_EQ(Sketch(true, dark, Params(10, 200, 20, 0, 255), 99), expected);
}

TEST(GradientStrokes, AWhitePhotographLeavesThePaperWhiteButDrawsOncePerInnerPixel) {
  const Bitmap24 white(23, 17, 0xFFFFFF);
  for (const bool colour : {false, true}) {
    RunContext context;
    context.Rng.RandomSeed = 5;
    Bitmap24 out;
    if (colour) {
      ColourSobel(white, out, Params(7, 127, 30, 0, 0), {}, {}, context);
    } else {
      SobelFilter(white, out, Params(7, 127, 30, 0), {}, {}, context);
    }
    if (colour) {
      // Screen blending white into white loses one level to the division by 256; the
      // outermost rows and columns repeat it.
      EXPECT_EQ(out, Bitmap24(23, 17, 0xFEFEFE));
    } else {
      EXPECT_EQ(out, white);
    }
    RandomGenerator expected;
    expected.RandomSeed = 5;
    for (int i = 0; i < 21 * 15; ++i) expected.Random(3);
    EXPECT_EQ(context.Rng.RandomSeed, expected.RandomSeed);
  }
}

// Strokes never reach the last row and column, and the colours are blended into inner pixels
// only; those outermost rows and columns repeat their inner neighbours instead of staying white
// or grey. The grey sketch's first row and column carry strokes of their own.
TEST(GradientStrokes, TheOutermostRowsAndColumnsLeaveNoFrameLine) {
  const Bitmap24 photo = NoisySyntheticPhoto(40, 30);
  for (const bool colour : {false, true}) {
    SCOPED_TRACE(colour ? "coloured" : "grey");
    const Bitmap24 out = Sketch(colour, photo, Params(0, 255, 100, 0, 128), 1);
    for (int x = 0; x < 40; ++x) EXPECT_EQ(out.Pixel(x, 29), out.Pixel(x, 28)) << x;
    for (int y = 0; y < 30; ++y) EXPECT_EQ(out.Pixel(39, y), out.Pixel(38, y)) << y;
    int sameAsInner = 0, darkened = 0;
    for (int x = 1; x < 39; ++x) {
      sameAsInner += out.Pixel(x, 0) == out.Pixel(x, 1);
      darkened += out.Pixel(x, 0) != 0xFFFFFFu;
    }
    EXPECT_EQ(sameAsInner == 38, colour);
    EXPECT_GT(darkened, 0);
  }
}

TEST(GradientStrokes, EdgeStrokesAreTheSameFromRunToRunShadingDirectionsAreNot) {
  // A sharp vertical edge between light grey (too light for shading) and white at columns 19/20,
  // and a dark block from column 30 on whose shading strokes reach no further left than column 26.
  Bitmap24 photo(40, 30, 0xFFFFFF);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 20; ++x) photo.SetPixel(x, y, 0xA0A0A0);
    for (int x = 30; x < 40; ++x) photo.SetPixel(x, y, 0x404040);
  }
  const Bitmap24 first = Sketch(false, photo, Params(7, 127, 30, 127), 1);
  const Bitmap24 second = Sketch(false, photo, Params(7, 127, 30, 127), 2);
  EXPECT_NE(first, second);
  for (int y = 0; y < 29; ++y) {
    for (int x = 19; x <= 20; ++x) EXPECT_EQ(first.Pixel(x, y), second.Pixel(x, y)) << x << "," << y;
  }
}

TEST(GradientStrokes, SoftenAndPaperTextureComeLast) {
  const Bitmap24 photo = NoisySyntheticPhoto(36, 28);
  Bitmap24 tile(16, 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) tile.SetPixel(x, y, MakeColour(x * 15, x * 15, x * 15));
  }
  SurfaceSettings surface;
  surface.softenEdges = true;
  surface.texture = {.enabled = true, .tileIndex = 0, .strength = 60};
  surface.textureTile = tile;
  for (const bool colour : {false, true}) {
    Bitmap24 expected = Sketch(colour, photo, Params(7, 127, 30, 127, 50), 3);
    Soften(expected);
    ApplyTexture(expected, tile, 60, TileRepeat::WithoutLastRowAndColumn);
    EXPECT_EQ(Sketch(colour, photo, Params(7, 127, 30, 127, 50), 3, surface), expected);
  }
}

TEST(GradientStrokes, TinyPicturesComeBackWhiteAtTheirSize) {
  for (const auto& [w, h] : {std::pair{1, 1}, {2, 2}, {7, 1}, {1, 1000}, {3000, 2}, {3, 3}}) {
    SCOPED_TRACE(testing::Message() << w << "x" << h);
    const Bitmap24 photo = NoisySyntheticPhoto(w, h);
    for (const int style : {kPencilSketch2EffectId, kPencilSketch3EffectId}) {
      RunPictures pictures;
      pictures.source = photo;
      StyleSettings settings;
      settings.effectId = style;
      settings.sliders = FactoryDefaults(style);
      RunContext context;
      ASSERT_EQ(RunEffect(pictures, settings, {}, context), RunOutcome::Finished);
      EXPECT_EQ(pictures.result.Width(), w);
      EXPECT_EQ(pictures.result.Height(), h);
      if (w < 3 || h < 3) {
        EXPECT_EQ(pictures.result, Bitmap24(w, h));
      }
    }
  }
}

TEST(GradientStrokes, AStopKeepsTheStrokesOfTheRowsDrawn) {
  const Bitmap24 photo = NoisySyntheticPhoto(50, 90);
  for (const bool colour : {false, true}) {
    SCOPED_TRACE(colour ? "coloured" : "grey");
    // The reference stops after row 40: the rows below take only the strokes reaching up from there.
    Bitmap24 cropped = photo;
    cropped.Resize(50, 42);
    RunContext context;
    context.Rng.RandomSeed = 11;
    StopAtPump shell(context, 2);  // the look at row 40
    context.Progress = &shell;
    Bitmap24 out;
    const GradientStrokeParameters p = Params(7, 127, 30, 127, 50);
    if (colour) {
      ColourSobel(photo, out, p, {}, {}, context);
    } else {
      SobelFilter(photo, out, p, {}, {}, context);
    }
    ASSERT_TRUE(context.AbortRequested);
    // No colour pass on a stopped run: grey strokes only, and nothing far below row 40.
    for (int y = 0; y < 90; ++y) {
      for (int x = 0; x < 50; ++x) {
        const Colour pixel = out.Pixel(x, y);
        ASSERT_EQ(RedOf(pixel), BlueOf(pixel)) << x << "," << y;
        if (y > 41 + 40) {
          ASSERT_EQ(pixel, 0xFFFFFFu) << x << "," << y;
        }
      }
    }
    Bitmap24 whole;
    ReferenceSketch(photo, whole, p, false, 11);
    if (!colour) {
      for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 50; ++x) ASSERT_EQ(out.Pixel(x, y), whole.Pixel(x, y)) << x << "," << y;
      }
    }
  }
}

}  // namespace
}  // namespace atelion
