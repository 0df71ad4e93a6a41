#include "styles/sketch/oil_pastel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ostream>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/geometry.h"
#include "core/rotate_bitmap.h"
#include "effects/run_pipeline.h"
#include "styles/painting/edge_strokes.h"
#include "styles/sketch/pastel_scribble.h"
#include "support/picture_checksum.h"

namespace atelion {

void PrintTo(const Bitmap24& picture, std::ostream* out);

namespace {

using testing_support::NoisySyntheticPhoto;

int Red(const Bitmap24& p, int x, int y) { return p.Row(y)[3 * x + 2]; }
int Dist(const std::uint8_t* a, const std::uint8_t* b) {
  return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
}

// A small stand-in scribble made by integer arithmetic: a slanted band of grey hatching.
Bitmap24 TestScribble() {
  Bitmap24 picture(60, 60);
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 60; ++x) {
      const int offset = x - 20 - y / 4;
      if (offset < 0 || offset > 18 || (x * 7 + y * 3) % 5 == 0) continue;
      const int v = 60 + ((x * 13 + y * 29) % 150);
      picture.SetPixel(x, y, MakeColour(v, v, v));
    }
  }
  return picture;
}

// ---- The painting done literally as described, every step on real pictures ----

void ReferencePastel(Bitmap24& S, Bitmap24& D, int Smin, int Smax, int I, int E, int F, const Bitmap24& scribble,
                     const StyleSettings& settings) {
  RunContext context;
  context.Rng.RandomSeed = 777;
  LocalContrast(S, 10, settings.sourceMean);
  const int W = S.Width(), H = S.Height();
  const std::int64_t Fa = (150 * F) / 100 + 640;
  const int Ts = (255 - F) / 10;
  int s = Smax + 6;
  if (Smin >= Smax) Smin = Smax;
  std::int64_t T = (std::int64_t{W} * H / 2) * I;
  T = (T / ((Smax - Smin) / 100 + 1)) * 2;
  T = std::min<std::int64_t>(T, 5000000000);
  std::int64_t Q = T / (s * s);
  D = Bitmap24(W, H, settings.paperColour);
  Bitmap24 Ed(W, H);
  EdgeStrokes(S, Ed, 4, 180, 20, settings.preview, SurfaceSettings{}, context);
  Bitmap24 B(s, s), P(s, s);
  StretchDraw(B, Rect{0, 0, s, s}, scribble);
  std::int64_t j = 0;
  while (s >= Smin + 5) {
    ++j;
    int x = 0, y = 0, draws = 0;
    do {
      x = context.Random(W);
      y = context.Random(H);
    } while (std::abs(Red(S, x, y) - Red(D, x, y)) < Ts && ++draws < 10000);
    if (draws == 10000) j = std::max(j, Q);
    if (j >= Q) {
      s = (90 * s) / 100;
      Q = T / (s * s);
      B.Resize(s, s);
      P.Resize(s, s);
      j = 0;
    }
    if (j % 500 == 0) {
      Resample(scribble, B);
      RunContext quiet;
      Bitmap24 R;
      RotateBitmap(B, R, context.Random(360), quiet);
      const int l = (R.Width() - s) / 2, t = (R.Height() - s) / 2;
      StretchCopy(B, Rect{0, 0, s - 1, s - 1}, R, Rect{l, t, l + s, t + s});
    }
    const int hx = s / 2, hy = s / 2;
    auto inside = [&](int X, int Y) { return X >= 0 && X < W && Y >= 0 && Y < H; };
    std::int64_t sum[3] = {0, 0, 0}, count = 0;
    for (int by = 0; by < s; ++by) {
      for (int bx = 0; bx < s; ++bx) {
        if (Red(B, bx, by) < 250 && inside(x - hx + bx, y - hy + by)) {
          for (int c = 0; c < 3; ++c) sum[c] += S.Row(y - hy + by)[3 * (x - hx + bx) + c];
          ++count;
        }
      }
    }
    int mean[3];
    for (int c = 0; c < 3; ++c) mean[c] = count == 0 ? 0 : static_cast<int>(sum[c] / count);
    // The square of D stretched onto P by nearest neighbour; past the border D's edge pixels.
    for (int pj = 0; pj < s; ++pj) {
      for (int pi = 0; pi < s; ++pi) {
        const int X = std::clamp(x - hx + pi * (2 * hx) / s, 0, W - 1);
        const int Y = std::clamp(y - hy + pj * (2 * hy) / s, 0, H - 1);
        P.SetPixel(pi, pj, D.Pixel(X, Y));
        const int v = Red(B, pi, pj);
        if (v < 250 && pi > 0 && pi < s - 1 && pj > 0 && pj < s - 1) {
          for (int c = 0; c < 3; ++c) P.Row(pj)[3 * pi + c] = static_cast<std::uint8_t>((v * P.Row(pj)[3 * pi + c] + mean[c] * (255 - v)) >> 8);
        }
      }
    }
    std::int64_t E1 = 0, E2 = 0;
    for (int X = x - hx; X <= x + hx - 1; ++X) {
      for (int Y = y - hy; Y <= y + hy - 1; ++Y) {
        if (Red(B, X - x + hx, Y - y + hy) < 250 && inside(X, Y)) E1 += Dist(S.Row(Y) + 3 * X, D.Row(Y) + 3 * X);
      }
    }
    for (int by = 0; by < s; ++by) {
      for (int bx = 0; bx < s; ++bx) {
        const int X = x - hx + bx, Y = y - hy + by;
        if (Red(B, bx, by) < 250 && inside(X, Y)) E2 += Dist(S.Row(Y) + 3 * X, P.Row(by) + 3 * bx);
      }
    }
    if (E2 < (E1 >> 10) * Fa) DrawPicture(D, x - hx, y - hy, P);
  }
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      int e[3];
      for (int c = 0; c < 3; ++c) e[c] = (std::abs(D.Row(y)[3 * x + c] - S.Row(y)[3 * x + c]) + 2 * (255 - Ed.Row(y)[3 * x + c])) / 3;
      const int k = ((e[0] + e[1] + e[2]) / 3 * E) / 300;
      for (int c = 0; c < 3; ++c) D.Row(y)[3 * x + c] = static_cast<std::uint8_t>(std::clamp(D.Row(y)[3 * x + c] - k, 0, 255));
    }
  }
  AdjustSaturation(D, 10, context);
  LocalContrastOverRepeatedEdges(D, 10, settings.sourceMean);
}

struct PastelCase {
  const char* name;
  int width, height;
  int Smin, Smax, I, E, F;
};

TEST(PencilStrokes, MatchesTheLiteralDabLoop) {
  const Bitmap24 scribble = TestScribble();
  const PastelCase cases[] = {
      {"even and odd sizes down to the minimum", 48, 40, 0, 20, 60, 100, 200},
      {"brushes larger than the picture", 30, 26, 3, 40, 100, 60, 120},
      {"most precise", 40, 36, 2, 14, 50, 255, 255},
      {"least precise", 40, 36, 2, 14, 50, 30, 0},
      {"no attempts: a size step per dab", 36, 30, 0, 30, 0, 100, 200},
      {"minimum above maximum: one size", 36, 30, 50, 16, 80, 100, 200},
  };
  for (const PastelCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Bitmap24 photo = NoisySyntheticPhoto(c.width, c.height);
    StyleSettings settings;
    settings.sourceMean = ComputeMeanColour(photo);
    settings.paperColour = MakeColour(245, 235, 210);
    const PencilStrokesParameters parameters =
        PencilStrokesParametersFrom({c.Smin, c.Smax, c.I, c.E, c.F});
    Bitmap24 source = photo, painting, expectedSource = photo, expected;
    RunContext context;
    context.Rng.RandomSeed = 777;
    PencilStrokes(source, painting, parameters, scribble, settings, SurfaceSettings{}, context);
    ReferencePastel(expectedSource, expected, c.Smin, c.Smax, c.I, c.E, c.F, scribble, settings);
    EXPECT_EQ(source, expectedSource);
    EXPECT_EQ(painting, expected);
  }
}

TEST(PencilStrokesParameters, AMinimumAtOrAboveTheMaximumIsLoweredToIt) {
  const struct {
    ParameterSet sliders;
    int minimum, maximum;
  } cases[] = {{{0, 200, 20, 100, 200}, 0, 200}, {{90, 40, 20, 100, 200}, 40, 40},
               {{40, 40, 20, 100, 200}, 40, 40}, {{-9, 300, 20, 100, 200}, 0, 255}};
  for (const auto& c : cases) {
    const PencilStrokesParameters p = PencilStrokesParametersFrom(c.sliders);
    EXPECT_EQ(p.minimumSize, c.minimum);
    EXPECT_EQ(p.maximumSize, c.maximum);
  }
}

// A photograph of the paper's own colour offers no seed point; the search ends, every size is
// done at once, and the picture stays paper apart from the final passes.
TEST(PencilStrokes, EndsOnFlatPicturesAndOnTinyPictures) {
  const struct {
    const char* name;
    Bitmap24 photo;
  } cases[] = {
      {"white on white paper", Bitmap24(200, 150, 0xFFFFFF)},
      {"flat grey", Bitmap24(160, 120, MakeColour(128, 128, 128))},
      {"1 x 1", NoisySyntheticPhoto(1, 1)},
      {"2 x 2", NoisySyntheticPhoto(2, 2)},
      {"7 x 1", NoisySyntheticPhoto(7, 1)},
      {"1 x 1000", NoisySyntheticPhoto(1, 1000)},
      {"3000 x 2", NoisySyntheticPhoto(3000, 2)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StyleSettings settings;
    settings.sourceMean = ComputeMeanColour(c.photo);
    Bitmap24 source = c.photo, painting;
    RunContext context;
    PencilStrokes(source, painting, PencilStrokesParametersFrom({0, 200, 100, 100, 200}), PastelScribble(), settings,
                  SurfaceSettings{}, context);
    EXPECT_EQ(painting.Width(), c.photo.Width());
    EXPECT_EQ(painting.Height(), c.photo.Height());
  }
  Bitmap24 white(200, 150, 0xFFFFFF), painting;
  StyleSettings settings;
  settings.sourceMean = ComputeMeanColour(white);
  RunContext context;
  PencilStrokes(white, painting, PencilStrokesParametersFrom({0, 200, 100, 100, 200}), PastelScribble(), settings,
                SurfaceSettings{}, context);
  EXPECT_EQ(painting, Bitmap24(200, 150, 0xFFFFFF));
}

// The rows and columns along the edges are painted about as closely as the inside: judged without
// them, dabs painted them only in passing, so the paper showed through there, and every odd-sized
// dab carried them one pixel inwards (on photographs, light streaks along the top edge).
TEST(PencilStrokes, PaintsTheEdgeRowsAndColumnsAsCloselyAsTheInside) {
  const struct {
    const char* name;
    Colour colour;
  } cases[] = {{"dark brown", MakeColour(90, 60, 40)}, {"mid green", MakeColour(100, 140, 60)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bitmap24 photo(120, 90, c.colour);
    StyleSettings settings;
    settings.sourceMean = ComputeMeanColour(photo);
    Bitmap24 source = photo, painting;
    RunContext context;
    context.Rng.RandomSeed = 31;
    // No contour darkening, so only the dabs decide how close the painting comes.
    PencilStrokes(source, painting, PencilStrokesParametersFrom({0, 30, 100, 0, 200}), PastelScribble(), settings,
                  SurfaceSettings{}, context);
    const int W = painting.Width(), H = painting.Height();
    auto meanDistance = [&](int x0, int y0, int x1, int y1) {
      std::int64_t sum = 0, count = 0;
      for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x, ++count) sum += Dist(painting.Row(y) + 3 * x, source.Row(y) + 3 * x);
      }
      return static_cast<double>(sum) / static_cast<double>(count);
    };
    // Judged without the edges, the bottom row and right column came out 4 to 6 times as far
    // from the photograph as the inside.
    const double limit = 3 * meanDistance(8, 8, W - 8, H - 8) + 2;
    EXPECT_LT(meanDistance(0, 0, W, 1), limit) << "top row";
    EXPECT_LT(meanDistance(0, 1, W, 3), limit) << "second and third rows";
    EXPECT_LT(meanDistance(0, 0, 1, H), limit) << "left column";
    EXPECT_LT(meanDistance(0, H - 1, W, H), limit) << "bottom row";
    EXPECT_LT(meanDistance(W - 1, 0, W, H), limit) << "right column";
  }
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

TEST(PencilStrokes, AnAbortedPaintingKeepsItsDabsWithoutTheFinalPasses) {
  const Bitmap24 photo = NoisySyntheticPhoto(60, 50);
  const Bitmap24 scribble = TestScribble();
  StyleSettings settings;
  settings.sourceMean = ComputeMeanColour(photo);
  auto paint = [&](int edgeIntensity, int pumps) {
    Bitmap24 source = photo, painting;
    RunContext context;
    context.Rng.RandomSeed = 3;
    context.Processing = true;
    AbortAfterPumps sink(context, pumps);
    context.Progress = &sink;
    PencilStrokes(source, painting, {0, 30, 100, edgeIntensity, 200}, scribble, settings, SurfaceSettings{}, context);
    EXPECT_EQ(context.ShownPercent(), -1);
    return painting;
  };
  const Bitmap24 paper(60, 50, settings.paperColour);
  const Bitmap24 complete = paint(100, 1000000);
  const Bitmap24 partial = paint(0, 8);
  EXPECT_NE(partial, paper);
  EXPECT_NE(partial, complete);
  EXPECT_EQ(paint(255, 8), partial);  // no contour darkening, whatever its intensity
}

TEST(PastelScribble, IsAGreyHatchingBandOnWhitePaper) {
  const Bitmap24 scribble = GeneratePastelScribble();
  ASSERT_EQ(scribble.Width(), kPastelScribbleSide);
  ASSERT_EQ(scribble.Height(), kPastelScribbleSide);
  EXPECT_EQ(scribble, GeneratePastelScribble());
  std::int64_t dark = 0, sum = 0;
  int left = kPastelScribbleSide, right = -1, top = kPastelScribbleSide, bottom = -1;
  for (int y = 0; y < kPastelScribbleSide; ++y) {
    for (int x = 0; x < kPastelScribbleSide; ++x) {
      const std::uint8_t* p = scribble.Row(y) + 3 * x;
      ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]);
      if (p[2] >= 250) {
        ASSERT_EQ(p[2], 255);  // the paper is pure white
        continue;
      }
      ++dark;
      sum += p[2];
      left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  const double coverage = static_cast<double>(dark) / (kPastelScribbleSide * kPastelScribbleSide);
  EXPECT_GT(coverage, 0.12);
  EXPECT_LT(coverage, 0.20);
  EXPECT_NEAR(static_cast<double>(sum) / dark, 141, 15);
  EXPECT_GE(left, 155);
  EXPECT_LE(right, 340);
  EXPECT_LE(top, 20);
  EXPECT_GE(bottom, 480);
}

TEST(ProcessPencilStrokes, PaintsTheSharpenedDocumentSourceAndLowersTheMinimumSize) {
  const Bitmap24 photo = NoisySyntheticPhoto(40, 32);
  RunPictures pictures;
  pictures.source = photo;
  pictures.result = photo;
  StyleSettings settings;
  settings.effectId = kOilPastelEffectId;
  settings.sliders = {60, 20, 20, 100, 200};
  settings.sourceMean = ComputeMeanColour(photo);
  RunContext context;
  ASSERT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
  EXPECT_EQ(settings.sliders[kSlotTrackBar1], 20);
  Bitmap24 sharpened = photo;
  LocalContrast(sharpened, 10, settings.sourceMean);
  EXPECT_EQ(pictures.source, sharpened);
  EXPECT_EQ(pictures.result.Width(), 40);
}

}  // namespace

void PrintTo(const Bitmap24& picture, std::ostream* out) {
  *out << picture.Width() << " x " << picture.Height() << " picture, checksum " << std::hex
       << testing_support::Fnv1a(picture) << std::dec;
}

}  // namespace atelion
