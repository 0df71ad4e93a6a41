#include "styles/sketch/pencil_sketch_5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ostream>

#include "core/filters.h"
#include "effects/run_pipeline.h"
#include "support/picture_checksum.h"

namespace atelion {

void PrintTo(const Bitmap24& picture, std::ostream* out);

namespace {

using testing_support::Fnv1a;
using testing_support::NoisySyntheticPhoto;

int At(const Bitmap24& p, int x, int y, int c) { return p.Row(y)[3 * x + c]; }
int Sum(const Bitmap24& p, int x, int y) { return At(p, x, y, 0) + At(p, x, y, 1) + At(p, x, y, 2); }
int Round(double v) { return static_cast<int>(std::nearbyint(v)); }

// ---- The drawing done literally as described, on pictures of at least 3 × 3 with dark pixels ----

void ReferenceBlendLayers(const Bitmap24& A, Bitmap24& Bm, int v, int w, int a) {
  if (A.Width() != Bm.Width() || A.Height() != Bm.Height()) return;
  Bitmap24 X = Bm, Y = Bm;
  for (int y = 0; y < A.Height(); ++y) {
    for (int x = 0; x < A.Width(); ++x) {
      for (int c = 0; c < 3; ++c) {
        X.Row(y)[3 * x + c] = static_cast<std::uint8_t>((v * At(Bm, x, y, c)) / 255 + ((255 - v) * At(A, x, y, c)) / 255);
        const int t = std::min(255, (At(A, x, y, c) * At(Bm, x, y, c)) / (455 - 4 * a));
        Y.Row(y)[3 * x + c] = static_cast<std::uint8_t>((t * w) / 255 + (At(X, x, y, c) * (255 - w)) / 255);
      }
    }
  }
  Bm = Y;
}

// The lines on a photograph extended by 16 pixels of repeated edge on every side.
void ReferenceLines(const Bitmap24& S, Bitmap24& D, long n, int L, int B, RunContext& context) {
  const int W = S.Width(), H = S.Height();
  for (long i = 0; i <= n; ++i) {
    int x0, y0, x, y, r;
    do {
      x0 = context.Random(W);
      y0 = context.Random(H);
      x = std::min(std::max(x0, 1), W - 2);
      y = std::min(std::max(y0, 1), H - 2);
      r = context.Random(255);
    } while (!(r > Sum(S, x, y) / 3));
    double fx = x0, fy = y0;
    int gx = 0, gy = 0;
    for (int c = 2; c >= 0; --c) {
      auto P = [&](int dx, int dy) { return At(S, x + dx, y + dy, c); };
      const int gyk = 3 * P(-1, -1) + 10 * P(0, -1) + 3 * P(1, -1) - 3 * P(-1, 1) - 10 * P(0, 1) - 3 * P(1, 1);
      const int gxk = 3 * P(-1, -1) + 10 * P(-1, 0) + 3 * P(-1, 1) - 3 * P(1, -1) - 10 * P(1, 0) - 3 * P(1, 1);
      gy = c == 2 ? gyk : std::max(gy, gyk);
      gx = c == 2 ? gxk : std::max(gx, gxk);
    }
    const int s = std::abs(gx) + std::abs(gy);
    double theta;
    if (s > B + 1) {
      theta = static_cast<double>(std::atan2(static_cast<float>(gy), static_cast<float>(gx))) + 1.5707;
    } else if (context.Random(100) < 27) {
      theta = context.Random(100) <= 50 ? 3.812385 : 0.670795;
    } else {
      theta = context.Random(100) <= 50 ? 2.74159 : -0.4;
    }
    context.Random();
    context.Random(256);
    double q = (768 - Sum(S, x, y)) / 64;
    context.Random(256);
    for (int k = 0; k < 5000;) {
      int d = ((At(D, x, y, 2) - At(S, x, y, 2)) + (At(D, x, y, 1) - At(S, x, y, 1)) + (At(D, x, y, 0) - At(S, x, y, 0))) /
              ((255 - L) / 8 + 8);
      if (d <= -5) {
        const int g = std::min(255, Round(1.1 * At(S, x, y, 2)));
        D.SetPixel(x, y, MakeColour(g, g, g));
      } else {
        d = std::max(d, 0);
        for (int c = 2; c >= 0; --c) D.Row(y)[3 * x + c] = static_cast<std::uint8_t>((At(D, x, y, c) * (255 - d)) / 256);
      }
      context.Random();
      double e = 0;
      if (context.Random(100) >= 25) {
        int best = 768;
        double t = -1.2;
        for (int probe = 0; probe < 16; ++probe) {
          const int px = Round(fx + std::cos(theta + t)), py = Round(fy + std::sin(theta + t));
          if (px > 0 && px < W - 1 && py > 0 && py < H - 1 && Sum(S, px, py) - best < B / 3) {
            best = Sum(S, px, py);
            e = t;
          }
          t += 0.17142857142857143;
        }
      }
      if (s < B + 1) e = 0.3 * context.Random() - 0.15;
      fx += std::cos(theta + e);
      fy += std::sin(theta + e);
      x = Round(fx);
      y = Round(fy);
      ++k;
      q = q * (L / 2000.0 + 0.7);
      if (q < 0.01 || x < 0 || y < 0 || x >= W || y >= H) break;
    }
  }
}

void ReferenceSketch(Bitmap24& S, Bitmap24& D, int Ni, int L, int B, int Ce, int K, const MeanColour& mean,
                     RunContext& context) {
  const int W = S.Width(), H = S.Height();
  LocalContrastOverRepeatedEdges(S, Ce, mean);
  const int M = 16, GW = W + 2 * M, GH = H + 2 * M;
  const long n = static_cast<long>(
      std::nearbyint((100.0 * Ni + 1000) * std::min(GW / 200.0, 35.0) * std::min(GH / 200.0, 35.0)));
  Bitmap24 grown(GW, GH), lines(GW, GH);
  for (int y = 0; y < GH; ++y) {
    for (int x = 0; x < GW; ++x) grown.SetPixel(x, y, S.Pixel(std::clamp(x - M, 0, W - 1), std::clamp(y - M, 0, H - 1)));
  }
  ReferenceLines(grown, lines, n, L, B, context);
  D = Bitmap24(W, H);
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) D.SetPixel(x, y, lines.Pixel(x + M, y + M));
  }
  if (K > 0) {
    Bitmap24 Cb = S;
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        const int m = At(D, x, y, 2);
        for (int c = 0; c < 3; ++c) Cb.Row(y)[3 * x + c] = static_cast<std::uint8_t>(Round(At(S, x, y, c) * (1 - m / 255.0) + m));
      }
    }
    ReferenceBlendLayers(D, Cb, K, K / 4, 50);
    D = Cb;
    ColourVibrance(D, D, 55);
  }
}

struct SketchCase {
  const char* name;
  int width, height;
  int Ni, L, B, Ce, K;
};

TEST(PencilSketch5, MatchesTheLiteralLineTracing) {
  const SketchCase cases[] = {
      {"factory defaults", 60, 50, 180, 180, 40, 50, 0},
      {"colour blended in", 50, 44, 180, 180, 40, 50, 200},
      {"no contour following, shortest lines", 40, 40, 60, 0, 100, 0, 90},
      {"every gradient a contour, longest lines", 45, 36, 100, 255, 0, 255, 255},
      {"narrow and tall", 3, 90, 255, 120, 20, 30, 60},
      {"one pixel high", 300, 1, 255, 120, 20, 30, 60},
  };
  for (const SketchCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Bitmap24 photo = NoisySyntheticPhoto(c.width, c.height);
    StyleSettings settings;
    settings.sourceMean = ComputeMeanColour(photo);
    Bitmap24 source = photo, drawing, expectedSource = photo, expected;
    RunContext context, referenceContext;
    context.Rng.RandomSeed = referenceContext.Rng.RandomSeed = 4242;
    PencilSketch5(source, drawing, {c.Ni, c.L, c.B, c.Ce, c.K}, settings, context);
    ReferenceSketch(expectedSource, expected, c.Ni, c.L, c.B, c.Ce, c.K, settings.sourceMean, referenceContext);
    EXPECT_EQ(source, expectedSource);
    EXPECT_EQ(drawing, expected);
    EXPECT_EQ(context.Rng.RandomSeed, referenceContext.Rng.RandomSeed);
    EXPECT_NE(drawing, Bitmap24(c.width, c.height));
  }
}

TEST(BlendLayers, MixesAsDescribedAndIgnoresPicturesOfAnotherSize) {
  const Bitmap24 A = NoisySyntheticPhoto(9, 7, 1), B = NoisySyntheticPhoto(9, 7, 2);
  const struct {
    int v, w, a;
  } cases[] = {{0, 0, 50}, {255, 255, 50}, {120, 30, 50}, {40, 200, 0}, {255, 85, 50}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.v << ", " << c.w << ", " << c.a);
    Bitmap24 blended = B, expected = B;
    BlendLayers(A, blended, c.v, c.w, c.a);
    ReferenceBlendLayers(A, expected, c.v, c.w, c.a);
    EXPECT_EQ(blended, expected);
  }
  // v = 0, w = 0: the under layer itself.
  Bitmap24 under = B;
  BlendLayers(A, under, 0, 0, 50);
  EXPECT_EQ(under, A);
  Bitmap24 other = NoisySyntheticPhoto(8, 7, 2);
  const Bitmap24 before = other;
  BlendLayers(A, other, 200, 100, 50);
  EXPECT_EQ(other, before);
  // A divisor that would be zero or negative is taken as 1 instead of dividing by it.
  Bitmap24 strong = B;
  BlendLayers(A, strong, 128, 255, 200);
  EXPECT_EQ(strong.Width(), 9);
}

// A picture with nothing darker than a mean of 254 offers no start point at all: the search for
// one ends, and the drawing stays blank paper.
TEST(PencilSketch5, EndsOnPicturesWithNothingDarkAndOnTinyPictures) {
  const struct {
    const char* name;
    Bitmap24 photo;
    bool blank;
  } cases[] = {
      {"white", Bitmap24(120, 90, 0xFFFFFF), true},
      {"almost white", Bitmap24(80, 80, MakeColour(254, 254, 254)), true},
      {"1 x 1", NoisySyntheticPhoto(1, 1), false},
      {"2 x 2", NoisySyntheticPhoto(2, 2), false},
      {"7 x 1", NoisySyntheticPhoto(7, 1), false},
      {"1 x 1000", NoisySyntheticPhoto(1, 1000), false},
      {"3000 x 2", NoisySyntheticPhoto(3000, 2), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const int K : {0, 255}) {
      StyleSettings settings;
      settings.sourceMean = ComputeMeanColour(c.photo);
      Bitmap24 source = c.photo, drawing;
      RunContext context;
      PencilSketch5(source, drawing, {255, 255, 40, 50, K}, settings, context);
      ASSERT_EQ(drawing.Width(), c.photo.Width());
      ASSERT_EQ(drawing.Height(), c.photo.Height());
      if (c.blank && K == 0) {
        EXPECT_EQ(drawing, Bitmap24(c.photo.Width(), c.photo.Height()));
      } else if (!c.blank) {
        EXPECT_NE(drawing, Bitmap24(c.photo.Width(), c.photo.Height()));
      }
    }
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

TEST(PencilSketch5, AnAbortedDrawingKeepsItsLinesAndGetsNoColour) {
  const Bitmap24 photo = NoisySyntheticPhoto(400, 300);
  StyleSettings settings;
  settings.sourceMean = ComputeMeanColour(photo);
  auto draw = [&](int K, int pumps) {
    Bitmap24 source = photo, drawing;
    RunContext context;
    context.Rng.RandomSeed = 99;
    context.Processing = true;
    AbortAfterPumps sink(context, pumps);
    context.Progress = &sink;
    PencilSketch5(source, drawing, {100, 180, 40, 50, K}, settings, context);
    EXPECT_EQ(context.ShownPercent(), -1);  // the progress display ended
    return drawing;
  };
  // The local contrast pumps every 25 rows (12 times); the lines pump every 7500 lines.
  const Bitmap24 partialGrey = draw(0, 14);
  const Bitmap24 partialColoured = draw(255, 14);
  EXPECT_EQ(partialGrey, partialColoured);
  EXPECT_NE(partialGrey, Bitmap24(400, 300));
  EXPECT_NE(partialGrey, draw(0, 1000000));
  // Without the colour step every pixel stays grey.
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 400; ++x) {
      ASSERT_EQ(At(partialGrey, x, y, 0), At(partialGrey, x, y, 2));
    }
  }
}

TEST(ProcessPencilSketch5, DrawsACopyOfTheSourceAndKeepsTheDocumentSource) {
  const Bitmap24 photo = NoisySyntheticPhoto(64, 48);
  RunPictures pictures;
  pictures.source = photo;
  pictures.result = photo;
  StyleSettings settings;
  settings.effectId = kPencilSketch5EffectId;
  settings.sliders = FactoryDefaults(kPencilSketch5EffectId);
  settings.sourceMean = ComputeMeanColour(photo);
  RunContext context;
  context.Rng.RandomSeed = 5;
  ASSERT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
  EXPECT_EQ(pictures.source, photo);
  Bitmap24 source = photo, expected;
  RunContext reference;
  reference.Rng.RandomSeed = 5;
  ReferenceSketch(source, expected, 180, 180, 40, 50, 0, settings.sourceMean, reference);
  EXPECT_EQ(pictures.result, expected);
  EXPECT_FALSE(context.Processing);
}

}  // namespace

void PrintTo(const Bitmap24& picture, std::ostream* out) {
  *out << picture.Width() << " x " << picture.Height() << " picture, checksum " << std::hex
       << testing_support::Fnv1a(picture) << std::dec;
}

}  // namespace atelion
