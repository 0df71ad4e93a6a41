#include "styles/sketch/pen_and_ink_sketch_1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "core/filters.h"
#include "core/geometry.h"
#include "core/hls.h"
#include "effects/run_pipeline.h"
#include "styles/sketch/ink_hatching_sheet.h"
#include "support/picture_checksum.h"
#include "support/synthetic_photos.h"

namespace atelion {
namespace {

using testing_support::Fnv1a;
using testing_support::NoisySyntheticPhoto;
using testing_support::SyntheticPhoto;

int Grey(const Bitmap24& picture, int x, int y) { return picture.Row(y)[3 * x]; }

double CellMean(const Bitmap24& sheet, int pattern) {
  const int left = InkHatchCellColumn(pattern) * kInkHatchCellWidth;
  const int top = InkHatchCellRow(pattern) * kInkHatchCellHeight;
  double sum = 0;
  for (int y = top; y < top + kInkHatchCellHeight; ++y)
    for (int x = left; x < left + kInkHatchCellWidth; ++x) sum += Grey(sheet, x, y);
  return sum / (kInkHatchCellWidth * kInkHatchCellHeight);
}

// ---- The ink hatch sheet ------------------------------------------------------------------

TEST(InkHatchSheet, IsGreyInkOnWhitePaperGettingLighterPatternByPattern) {
  const Bitmap24& sheet = InkHatchSheet();
  ASSERT_EQ(sheet.Width(), 300);
  ASSERT_EQ(sheet.Height(), 600);
  for (int y = 0; y < sheet.Height(); ++y) {
    for (int x = 0; x < sheet.Width(); ++x) {
      const std::uint8_t* p = sheet.Row(y) + 3 * x;
      ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << x << ", " << y;
    }
  }
  double previous = -1;
  for (int k = 0; k < kInkHatchPatternCount; ++k) {
    const double mean = CellMean(sheet, k);
    EXPECT_NEAR(mean, kInkHatchMeanTone[k], 2.0) << "pattern " << k;
    EXPECT_GT(mean, previous) << "pattern " << k;
    previous = mean;
    // Ink lines on paper: every pattern holds pure paper and real ink, also the lightest.
    int paper = 0, ink = 0;
    const int left = InkHatchCellColumn(k) * kInkHatchCellWidth, top = InkHatchCellRow(k) * kInkHatchCellHeight;
    for (int y = top; y < top + kInkHatchCellHeight; ++y) {
      for (int x = left; x < left + kInkHatchCellWidth; ++x) {
        paper += Grey(sheet, x, y) >= 250;
        ink += Grey(sheet, x, y) <= 60;
      }
    }
    if (k > 0) EXPECT_GT(paper, 0) << "pattern " << k;
    EXPECT_GT(ink, 100) << "pattern " << k;
  }
  // The generated sheet is the shipped one, pixel for pixel.
  EXPECT_EQ(Fnv1a(GenerateInkHatchSheet()), Fnv1a(sheet));
}

// A cell read at (x mod 100, y mod 200) shows no seam: the step from a cell's last column to its
// first (or last row to first) is no larger than the largest step between neighbouring columns
// (rows) inside it. (A cut through the lines would be larger than every step along them.)
TEST(InkHatchSheet, EveryCellRepeatsWithoutSeams) {
  const Bitmap24& sheet = InkHatchSheet();
  constexpr int w = kInkHatchCellWidth, h = kInkHatchCellHeight;
  for (int k = 0; k < kInkHatchPatternCount; ++k) {
    const int left = InkHatchCellColumn(k) * w, top = InkHatchCellRow(k) * h;
    auto at = [&](int x, int y) { return Grey(sheet, left + (x + w) % w, top + (y + h) % h); };
    auto columnStep = [&](int x) {
      double sum = 0;
      for (int y = 0; y < h; ++y) sum += std::abs(at(x, y) - at(x - 1, y));
      return sum;
    };
    auto rowStep = [&](int y) {
      double sum = 0;
      for (int x = 0; x < w; ++x) sum += std::abs(at(x, y) - at(x, y - 1));
      return sum;
    };
    double inside = 0;
    for (int x = 1; x < w; ++x) inside = std::max(inside, columnStep(x));
    EXPECT_LE(columnStep(0), inside) << "pattern " << k << " left and right";
    inside = 0;
    for (int y = 1; y < h; ++y) inside = std::max(inside, rowStep(y));
    EXPECT_LE(rowStep(0), inside) << "pattern " << k << " top and bottom";
  }
}

// ---- Block contrast ------------------------------------------------------------------------

// The block contrast as written: each block copied into an 11 × 11 tile, the tile filtered with
// PivotContrast, its top-left 10 × 10 copied back.
void LiteralBlockContrast(Bitmap24& b, int a) {
  const int w = b.Width(), h = b.Height();
  for (int pass = 0; pass < 2; ++pass) {
    const int shift = pass == 0 ? 0 : 5;
    if (w < 10 + shift || h < 10 + shift) continue;
    for (int i = 0; i <= (h - 10 - shift) / 10; ++i) {
      int p = 127;
      for (int j = 0; j <= (w - 10 - shift) / 10; ++j) {
        Bitmap24 tile(11, 11);
        CopyRect(tile, 0, 0, b, Rect{10 * j + shift, 10 * i + shift, 10 * j + shift + 10, 10 * i + shift + 10});
        int sum = 0;
        for (int y = 0; y < 10; ++y)
          for (int x = 0; x < 30; ++x) sum += tile.Row(y)[x];
        const int m = sum / 300;
        p = p + (m - p) / 2;
        PivotContrast(tile, p, a / 2);
        CopyRect(b, 10 * j + shift, 10 * i + shift, tile, Rect{0, 0, 10, 10});
      }
    }
  }
}

TEST(BlockContrast, MatchesTheTileByTileRuleAndLeavesPicturesWithoutWholeBlocks) {
  struct Case {
    int width, height, amount;
  };
  const Case cases[] = {{57, 43, 90}, {40, 25, 50}, {23, 16, 20}, {14, 30, 100}, {9, 40, 90}, {40, 9, 90},
                        {1, 1, 90},   {7, 1, 90},   {3000, 2, 90}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << " amount " << c.amount);
    const Bitmap24 photo = NoisySyntheticPhoto(c.width, c.height);
    Bitmap24 literal = photo;
    LiteralBlockContrast(literal, c.amount);
    Bitmap24 real = photo;
    RunContext context;
    BlockContrast(real, c.amount, context, true);
    EXPECT_EQ(Fnv1a(real), Fnv1a(literal));
    if (c.width < 10 || c.height < 10) EXPECT_EQ(Fnv1a(real), Fnv1a(photo));
  }
  // The right and bottom strip outside both grids keeps its values: 27 wide has blocks over 0..19
  // and 5..24, so columns 25 and 26 stay.
  const Bitmap24 photo = NoisySyntheticPhoto(27, 27);
  Bitmap24 real = photo;
  RunContext context;
  BlockContrast(real, 100, context, false);
  for (int y = 0; y < 27; ++y) {
    for (int x = 25; x < 27; ++x) {
      EXPECT_EQ(real.Pixel(x, y), photo.Pixel(x, y));
      EXPECT_EQ(real.Pixel(y, x), photo.Pixel(y, x));
    }
  }
}

// ---- The sketch ----------------------------------------------------------------------------

PenandInkParameters Parameters(int T, int E, int Cp, int Dl, int K) { return {T, E, Cp, Dl, K}; }

// The drawing rule pixel by pixel, read straight from the sheet's cells.
Bitmap24 LiteralSketch(Bitmap24 s, const PenandInkParameters& p, const Bitmap24& sheet) {
  if (p.blockContrast > 0) LiteralBlockContrast(s, p.blockContrast);
  const int w = s.Width(), h = s.Height();
  Bitmap24 d(w, h);
  const int tonePattern[10] = {0, 1, 2, 3, 4, 5, 6, 7, 7, 8};
  auto patternValue = [&](int tone, int x, int y, int c) {
    if (tone == 10) return 255;
    const int k = tonePattern[tone];
    return static_cast<int>(sheet.Row(200 * (k / 3) + y % 200)[3 * (100 * (k % 3) + x % 100) + c]);
  };
  for (int y = 0; y < h; ++y) {
    const int py = y == 0 ? 0 : y - 1;
    for (int x = 0; x < w; ++x) {
      auto at = [&](int px, int qy, int c) { return static_cast<int>(s.Row(qy)[3 * px + c]); };
      int d2 = 0;
      if (x > 0) {
        for (int c = 0; c < 3; ++c) d2 += std::abs(at(x, py, c) - at(x, y, c)) + std::abs(at(x - 1, y, c) - at(x, y, c));
        d2 /= 2;
      }
      if (d2 < p.edgeThreshold) d2 = 0;
      const int u = std::clamp((at(x, y, 2) + at(x, y, 1) + at(x, y, 0)) / 3 - (d2 * p.edgeIntensity) / 128 +
                                   p.darkenLighten - 128,
                               0, 255);
      const int t = u / 26, f = u - 26 * t;
      for (int c = 0; c < 3; ++c)
        d.Row(y)[3 * x + c] = static_cast<std::uint8_t>((patternValue(t + 1, x, y, c) * f) / 26 +
                                                        ((26 - f) * patternValue(t, x, y, c)) / 26);
    }
  }
  if (p.colourAmount > 0) {
    const int k = p.colourAmount;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const HlsColour photo = ColorRGBToHLS(s.Pixel(x, y));
        int sat = std::min(240, (9 * photo.saturation) / 10);
        if (photo.lightness < 30) sat = (sat * photo.lightness) / 30;
        const Colour drawnColour = d.Pixel(x, y);
        const HlsColour drawn = ColorRGBToHLS(drawnColour);
        const Colour tint = ColorHLSToRGB(photo.hue, std::min(240, drawn.lightness + sat / 10), sat);
        d.SetPixel(x, y, MakeColour(((255 - k) * RedOf(drawnColour) + k * RedOf(tint)) / 255,
                                    ((255 - k) * GreenOf(drawnColour) + k * GreenOf(tint)) / 255,
                                    ((255 - k) * BlueOf(drawnColour) + k * BlueOf(tint)) / 255));
      }
    }
  }
  return d;
}

Bitmap24 Sketched(const Bitmap24& photo, const PenandInkParameters& p, RunContext& context,
                  const SurfaceSettings& surface = {}) {
  Bitmap24 source = photo, drawing;
  PenandInkSketch(source, drawing, p, InkHatchSheet(), surface, context, false);
  return drawing;
}

TEST(PenandInkSketch, MatchesTheLiteralRuleAndSetsTheSeed) {
  struct Case {
    int width, height;
    PenandInkParameters p;
  };
  const Case cases[] = {
      {131, 217, Parameters(50, 50, 90, 110, 0)},   // factory values; the pattern repeats inside
      {64, 48, Parameters(0, 255, 0, 128, 0)},      // every difference is an edge
      {64, 48, Parameters(255, 255, 40, 255, 0)},   // light: only the lighter patterns
      {45, 33, Parameters(20, 120, 90, 90, 200)},   // with the colour pass
      {45, 33, Parameters(20, 120, 0, 60, 255)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << " T " << c.p.edgeThreshold << " K "
                                      << c.p.colourAmount);
    const Bitmap24 photo = NoisySyntheticPhoto(c.width, c.height);
    RunContext context;
    context.Rng.RandomSeed = 5;
    const Bitmap24 drawing = Sketched(photo, c.p, context);
    EXPECT_EQ(context.Rng.RandomSeed, kStyleSeed);
    EXPECT_EQ(Fnv1a(drawing), Fnv1a(LiteralSketch(photo, c.p, InkHatchSheet())));
  }
}

TEST(PenandInkSketch, FlatSourcesGiveTheirTonesPatterns) {
  const Bitmap24& sheet = InkHatchSheet();
  struct Case {
    Colour colour;
    int darkenLighten;
  };
  // White with Dl 128: tone 9, fraction 21. Black with Dl 0: pure pattern 0.
  for (const Case& c : {Case{0xFFFFFF, 128}, Case{0x000000, 0}}) {
    RunContext context;
    const Bitmap24 drawing = Sketched(Bitmap24(230, 410, c.colour), Parameters(50, 50, 90, c.darkenLighten, 0), context);
    for (int y = 0; y < drawing.Height(); y += 7) {
      for (int x = 0; x < drawing.Width(); x += 3) {
        const int expected = c.colour == 0xFFFFFF
                                 ? (21 * 255) / 26 + (5 * Grey(sheet, 200 + x % 100, 400 + y % 200)) / 26
                                 : Grey(sheet, x % 100, y % 200);
        ASSERT_EQ(Grey(drawing, x, y), expected) << x << ", " << y;
      }
    }
  }
  // Darken/Lighten at 255 and no edges: no pixel darker than the lightest part of pattern 4.
  RunContext context;
  int darkest4 = 255;
  for (int y = 200; y < 400; ++y)
    for (int x = 100; x < 200; ++x) darkest4 = std::min(darkest4, Grey(sheet, x, y));
  const Bitmap24 drawing = Sketched(Bitmap24(50, 50, 0x000000), Parameters(255, 0, 0, 255, 0), context);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x) ASSERT_GE(Grey(drawing, x, y), std::min(darkest4, Grey(sheet, 100 + x, 200 + y)));
}

TEST(ProcessPenandInkSketch, IsReproducibleAndKeepsItsGoldenChecksum) {
  // The checksum is recorded after the drawing matched the literal rule above on this picture.
  const Bitmap24 photo = SyntheticPhoto(96, 72);
  const PenandInkParameters factory = PenandInkParametersFrom(FactoryDefaults(kPenAndInkSketch1EffectId));
  RunContext literalContext;
  ASSERT_EQ(Fnv1a(Sketched(photo, factory, literalContext)), Fnv1a(LiteralSketch(photo, factory, InkHatchSheet())));
  for (int run = 0; run < 2; ++run) {
    RunPictures pictures;
    pictures.source = photo;
    pictures.result = photo;
    StyleSettings settings;
    settings.effectId = kPenAndInkSketch1EffectId;
    settings.sliders = FactoryDefaults(kPenAndInkSketch1EffectId);
    RunContext context;
    context.Rng.RandomSeed = 1234 + run;
    ASSERT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
    EXPECT_EQ(Fnv1a(pictures.result), 0x4731d32e9db11ae3ull) << std::hex << Fnv1a(pictures.result);
  }
}

TEST(ProcessPenandInkSketch, DrawsTinyPictures) {
  const int sizes[][2] = {{1, 1}, {2, 2}, {7, 1}, {1, 7}, {1, 1000}, {3000, 2}, {9, 14}};
  for (const auto& [width, height] : sizes) {
    SCOPED_TRACE(::testing::Message() << width << " x " << height);
    const Bitmap24 photo = NoisySyntheticPhoto(width, height);
    RunPictures pictures;
    pictures.source = photo;
    pictures.result = photo;
    StyleSettings settings;
    settings.effectId = kPenAndInkSketch1EffectId;
    settings.sliders = FactoryDefaults(kPenAndInkSketch1EffectId);
    RunContext context;
    EXPECT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
    ASSERT_EQ(pictures.result.Width(), width);
    ASSERT_EQ(pictures.result.Height(), height);
    EXPECT_EQ(Fnv1a(pictures.result),
              Fnv1a(LiteralSketch(photo, PenandInkParametersFrom(settings.sliders), InkHatchSheet())));
  }
}

// The full-size run lays "Soften edges" itself, once, and leaves the untextured copy of the
// result as it was; the preview's caller softens once more, as every preview is finished.
TEST(ProcessPenandInkSketch, SoftensTheDrawingItselfAndKeepsTheOldUntexturedCopy) {
  const Bitmap24 photo = NoisySyntheticPhoto(50, 40);
  const PenandInkParameters factory = PenandInkParametersFrom(FactoryDefaults(kPenAndInkSketch1EffectId));
  Bitmap24 softened = LiteralSketch(photo, factory, InkHatchSheet());
  Soften(softened);

  RunPictures pictures;
  pictures.source = photo;
  pictures.result = photo;
  pictures.untexturedCopy = Bitmap24(3, 3, 0x123456);
  StyleSettings settings;
  settings.effectId = kPenAndInkSketch1EffectId;
  settings.sliders = FactoryDefaults(kPenAndInkSketch1EffectId);
  FinishingSettings finishing;
  finishing.softenEdges = true;
  RunContext context;
  ASSERT_EQ(RunEffect(pictures, settings, finishing, context), RunOutcome::Finished);
  EXPECT_EQ(Fnv1a(pictures.result), Fnv1a(softened));
  EXPECT_EQ(pictures.untexturedCopy.Width(), 3);

  settings.preview = true;
  RunContext previewContext;
  const StyleOutput preview = PreviewPenandInkSketch(photo, settings, finishing, previewContext);
  EXPECT_FALSE(preview.surfaceApplied);
  EXPECT_EQ(Fnv1a(preview.picture), Fnv1a(softened));
}

// Stops the run at the n-th time the shell is asked to handle its events.
class AbortAfterPumps : public ProgressSink {
 public:
  AbortAfterPumps(RunContext& context, int pumps) : context_(context), left_(pumps) {}
  void PumpEvents() override {
    if (--left_ == 0) context_.AbortRequested = true;
  }

 private:
  RunContext& context_;
  int left_;
};

TEST(PenandInkSketch, AStoppedSketchKeepsItsRowsAndLeavesTheRestWhiteWithoutSoftening) {
  const Bitmap24 photo = NoisySyntheticPhoto(60, 40);
  const PenandInkParameters p = Parameters(50, 50, 0, 110, 120);
  SurfaceSettings surface;
  surface.softenEdges = true;
  RunContext context;
  AbortAfterPumps sink(context, 11);  // the 11th row check: rows 0..9 drawn
  context.Progress = &sink;
  const Bitmap24 stopped = Sketched(photo, p, context, surface);
  // Rows 0..9 as drawn before the colour pass, which a stop skips like the softening.
  PenandInkParameters plain = p;
  plain.colourAmount = 0;
  const Bitmap24 full = LiteralSketch(photo, plain, InkHatchSheet());
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) {
      ASSERT_EQ(stopped.Pixel(x, y), y < 10 ? full.Pixel(x, y) : Colour{0xFFFFFF}) << x << ", " << y;
    }
  }
}

}  // namespace
}  // namespace atelion
