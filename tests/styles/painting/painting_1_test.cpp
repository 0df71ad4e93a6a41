#include "styles/painting/painting_1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ostream>

#include "core/filters.h"
#include "core/hls.h"
#include "styles/painting/edge_strokes.h"
#include "styles/painting/painting_8.h"
#include "styles/painting/paper_tables.h"
#include "support/stop_at_pump.h"
#include "support/picture_checksum.h"

namespace atelion {

// Failures name the size and checksum of a picture instead of dumping its bytes.
void PrintTo(const Bitmap24& picture, std::ostream* out) {
  *out << picture.Width() << " x " << picture.Height() << " picture, checksum " << std::hex
       << testing_support::Fnv1a(picture) << std::dec;
}

namespace {

using testing_support::StopAtPump;
using testing_support::Fnv1a;
using testing_support::NoisySyntheticPhoto;

// ---- The painting done literally as described, pixel by pixel, with the generator drawn once
// for every number the program draws ----

struct Sliders {
  int a, e, n, d, t;
};

WatercolourParameters ParametersOf(const Sliders& s) {
  return {.colourBlending = s.a, .edgeIntensity = s.e, .strength = s.n, .darkenLighten = s.d, .paperIntensity = s.t};
}

int Channel(const Bitmap24& picture, int x, int y, int c) { return picture.Row(y)[3 * x + c]; }

// Runs the whole painting; `stepLimit` > 0 stops the walk after that many steps as an abort does.
void LiteralWatercolour(const Bitmap24& S, Bitmap24& D, const Sliders& s, const StyleSettings& settings,
                        RunContext& context, std::int64_t stepLimit = 0) {
  const int W = S.Width(), H = S.Height();
  const int A = s.a, E = s.e, N = s.n;
  Bitmap24 Wc(W, H, 0xFFFFFF);
  if (E > 10) {
    Bitmap24 Tm(W, H, 0xFFFFFF);
    EdgeStrokes(S, Tm, 15, E / 20 + 180, E / 20 + 15, settings.preview, SurfaceSettings{}, context);
    LocalContrast(Tm, 35, settings.sourceMean, &context);
    BrushStampPainting(Tm, Wc, 10, 100, 100, 2,
                       {.precision = N, .pause = E, .progress = StampProgress::WatercolourContours}, settings, context);
    LocalContrast(Wc, 35, settings.sourceMean, &context);
  }
  D = S;
  if (W >= 3 && H >= 3) {
    int b = 10000, x = 0, y = 0, dx = -100, dy = 0;
    std::int64_t stepsDone = 0;
    for (int i = 0; i <= N; ++i) {
      std::int64_t j = 0;
      dx = -100;
      while (true) {
        if (b >= A) {
          x = context.Random(W - 2) + 1;
          y = context.Random(H - 2) + 1;
        } else {
          x += dx;
          y += dy;
          if (x < 1 || x > W - 2 || y < 1 || y > H - 2) {
            x = context.Random(W - 2) + 1;
            y = context.Random(H - 2) + 1;
          }
        }
        const Colour pixel = D.Pixel(x, y);
        int col[3] = {RedOf(pixel), GreenOf(pixel), BlueOf(pixel)};
        if (j % (N / 2 - A / 2 + 210) == 0) {
          HlsColour hls = ColorRGBToHLS(MakeColour(col[0], col[1], col[2]));
          hls.saturation = std::min(240, (hls.saturation * 102) / 100);
          const Colour back = ColorHLSToRGB(hls.hue, hls.lightness, hls.saturation);
          col[0] = RedOf(back), col[1] = GreenOf(back), col[2] = BlueOf(back);
        }
        b = 500;
        dx = -100;
        for (int l = -1; l <= 1; ++l) {
          for (int m = -1; m <= 1; ++m) {
            if (l == 0 && m == 0) continue;
            const Colour here = D.Pixel(x, y), there = D.Pixel(x + l, y + m);
            const int dist = std::abs(RedOf(there) - RedOf(here)) + std::abs(GreenOf(there) - GreenOf(here)) +
                             std::abs(BlueOf(there) - BlueOf(here));
            const int r = context.Random(3);
            if (dist <= b - r && dist > 3) {
              b = dist;
              dx = l;
              dy = m;
            }
          }
        }
        if (b <= A + 15) {
          if (b > A / 5 + 5) {
            const Colour there = D.Pixel(x + dx, y + dy);
            const int other[3] = {RedOf(there), GreenOf(there), BlueOf(there)};
            for (int c = 0; c < 3; ++c) col[c] = std::min(255, (col[c] + other[c]) / 2 + static_cast<int>(j % 8) / 5);
            D.SetPixel(x, y, MakeColour(col[0], col[1], col[2]));
          }
          D.SetPixel(x + dx, y + dy, MakeColour(col[0], col[1], col[2]));
        }
        if (stepLimit > 0 && ++stepsDone == stepLimit) return;
        ++j;
        if (j > std::int64_t{W} * H) break;
      }
    }
  }
  AdjustBrightness(D, (s.d - 127) / 3);
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const int g = (Channel(D, x, y, 0) + Channel(D, x, y, 1) + Channel(D, x, y, 2)) / 3;
      for (int c = 0; c < 3; ++c) {
        const int v = Channel(D, x, y, c);
        D.Row(y)[3 * x + c] = static_cast<std::uint8_t>(std::clamp(v + ((v - g) * 12) / 100, 0, 255));
      }
    }
  }
  LocalContrastOverRepeatedEdges(D, 25, settings.sourceMean, &context);
  if (E > 10) {
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        if (Channel(Wc, x, y, 2) >= 254) continue;
        for (int c = 0; c < 3; ++c) {
          const int v = Channel(D, x, y, c);
          const int k = (v * Channel(Wc, x, y, c)) / 255;
          D.Row(y)[3 * x + c] = static_cast<std::uint8_t>((v * (255 - E) + k * E) / 255);
        }
      }
    }
  }
  const PaperTable& paper = WatercolourPaperTable();
  for (int x = 0; x < W; ++x) {
    for (int y = 0; y < H; ++y) {
      for (int c : {2, 1, 0}) {  // red, green, blue
        const int column = x + context.Random(1);
        const int row = y + context.Random(1);
        const int v = Channel(D, x, y, c) + ((paper.mean - paper.At(column % 1023, row % 767)) * s.t) / 255;
        D.Row(y)[3 * x + c] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
      }
    }
  }
}

StyleSettings SettingsFor(const Bitmap24& photo) {
  StyleSettings settings;
  settings.effectId = kPainting1EffectId;
  settings.sliders = FactoryDefaults(kPainting1EffectId);
  settings.sourceMean = ComputeMeanColour(photo);
  return settings;
}

// The painting and the generator's state after it, from a generator started at `seed`.
struct Painted {
  Bitmap24 picture;
  std::uint32_t seedAfter = 0;
};

Painted Paint(const Bitmap24& photo, const Sliders& s, std::uint32_t seed) {
  RunContext context;
  context.Rng.RandomSeed = seed;
  Painted out;
  WatercolourPainting(photo, out.picture, ParametersOf(s), SettingsFor(photo), SurfaceSettings{}, context);
  out.seedAfter = context.Rng.RandomSeed;
  return out;
}

Painted PaintLiterally(const Bitmap24& photo, const Sliders& s, std::uint32_t seed) {
  RunContext context;
  context.Rng.RandomSeed = seed;
  Painted out;
  LiteralWatercolour(photo, out.picture, s, SettingsFor(photo), context);
  out.seedAfter = context.Rng.RandomSeed;
  return out;
}

TEST(WatercolourParameters, ReadTheSlotsInTheirOrderWithinTheSliderRanges) {
  ParameterSet sliders{};
  sliders[kSlotTrackBar1] = 300;  // colour blending
  sliders[kSlotTrackBar2] = 110;  // edge intensity
  sliders[kSlotTrackBar5] = 150;  // strength of effect, 0..100
  sliders[kSlotTrackBar3] = -4;   // darken/lighten
  sliders[kSlotTrackBar4] = 77;   // paper
  const WatercolourParameters p = WatercolourParametersFrom(sliders);
  EXPECT_EQ(p.colourBlending, 255);
  EXPECT_EQ(p.edgeIntensity, 110);
  EXPECT_EQ(p.strength, 100);
  EXPECT_EQ(p.darkenLighten, 0);
  EXPECT_EQ(p.paperIntensity, 77);
}

TEST(SkipRandomDraws, MovesTheGeneratorAsTheDrawsWould) {
  for (std::uint64_t steps : {0ull, 1ull, 8ull, 1000ull, 6ull * 12345ull}) {
    RandomGenerator drawn, skipped;
    drawn.RandomSeed = skipped.RandomSeed = 1969;
    for (std::uint64_t i = 0; i < steps; ++i) (void)drawn.Random(1);
    SkipRandomDraws(skipped, steps);
    EXPECT_EQ(skipped.RandomSeed, drawn.RandomSeed) << steps;
  }
}

// Blending, passes, the contour strokes, brightness and paper in their corners: A = 0 jumps at
// every step, A = 255 almost never; E ≤ 10 draws no strokes and does not reset the generator.
constexpr Sliders kLiteralCases[] = {
    {90, 0, 3, 140, 50},  {0, 5, 0, 127, 0},     {255, 10, 2, 60, 255},
    {40, 110, 4, 200, 120}, {90, 110, 25, 140, 50}, {130, 255, 1, 0, 30},
};

TEST(WatercolourPainting, MatchesTheLiteralWalkAndFinishing) {
  const Bitmap24 photo = NoisySyntheticPhoto(29, 21);
  for (const Sliders& s : kLiteralCases) {
    SCOPED_TRACE(testing::Message() << "A " << s.a << " E " << s.e << " N " << s.n << " D " << s.d << " T " << s.t);
    const Painted fast = Paint(photo, s, 4242);
    const Painted literal = PaintLiterally(photo, s, 4242);
    EXPECT_EQ(fast.picture, literal.picture);
    EXPECT_EQ(fast.seedAfter, literal.seedAfter);
    // The walk changed the picture beyond what the finishing alone would.
    EXPECT_NE(fast.picture, Paint(photo, {s.a, s.e, -1, s.d, s.t}, 4242).picture);
  }
}

TEST(WatercolourPainting, WithoutContourStrokesContinuesTheGenerator) {
  const Bitmap24 photo = NoisySyntheticPhoto(24, 18);
  EXPECT_NE(Paint(photo, {90, 10, 2, 127, 50}, 1).picture, Paint(photo, {90, 10, 2, 127, 50}, 2).picture);
  EXPECT_EQ(Paint(photo, {90, 11, 2, 127, 50}, 1).picture, Paint(photo, {90, 11, 2, 127, 50}, 2).picture);
}

TEST(WatercolourPainting, IsReproducibleAndKeepsItsGoldenChecksum) {
  const Bitmap24 photo = NoisySyntheticPhoto(64, 48);
  const Sliders defaults{90, 110, 25, 140, 50};
  const Painted first = Paint(photo, defaults, 1);
  ASSERT_EQ(first.picture, PaintLiterally(photo, defaults, 1).picture);
  EXPECT_EQ(Paint(photo, defaults, 99).picture, first.picture);
  EXPECT_EQ(Fnv1a(first.picture), 0xc10de7cd521f44f2ull);
}

// Below 3 pixels in either direction there is no pixel with eight neighbours: no walk, only the
// finishing. At 3 × 3 every jump lands on the centre.
TEST(WatercolourPainting, TinyAndThinPicturesComeBackPaintedWithinBounds) {
  struct Size {
    int w, h;
  };
  for (const Size size : {Size{1, 1}, Size{2, 2}, Size{7, 1}, Size{1, 1000}, Size{3000, 2}, Size{3, 3}, Size{3, 40}}) {
    SCOPED_TRACE(testing::Message() << size.w << " x " << size.h);
    const Bitmap24 photo = NoisySyntheticPhoto(size.w, size.h);
    for (const Sliders& s : {Sliders{90, 110, 25, 140, 50}, Sliders{255, 0, 3, 127, 200}}) {
      const Painted fast = Paint(photo, s, 7);
      ASSERT_EQ(fast.picture.Width(), size.w);
      ASSERT_EQ(fast.picture.Height(), size.h);
      EXPECT_EQ(fast.picture, PaintLiterally(photo, s, 7).picture);
    }
  }
  // An empty picture stays empty.
  EXPECT_TRUE(Paint(Bitmap24(), {90, 110, 25, 140, 50}, 7).picture.Empty());
}

TEST(WatercolourPainting, AbortKeepsTheWalkSoFarWithoutFinishing) {
  const Bitmap24 photo = NoisySyntheticPhoto(40, 30);
  const Sliders s{90, 0, 3, 200, 120};
  // Pumps: one at the start of the pass, then after steps 100 and 200; the step after the third
  // pump is still made, then the walk stops: 201 steps.
  RunContext context;
  context.Rng.RandomSeed = 5;
  StopAtPump sink(context, 3);
  context.Progress = &sink;
  Bitmap24 painted;
  WatercolourPainting(photo, painted, ParametersOf(s), SettingsFor(photo), SurfaceSettings{}, context);

  RunContext literalContext;
  literalContext.Rng.RandomSeed = 5;
  Bitmap24 literal;
  LiteralWatercolour(photo, literal, s, SettingsFor(photo), literalContext, 201);
  EXPECT_EQ(painted, literal);
  EXPECT_NE(painted, photo);
}

}  // namespace
}  // namespace atelion
