#include "styles/sketch/pencil_sketch_6.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <vector>

#include "core/filters.h"
#include "effects/run_pipeline.h"
#include "styles/sketch/pencil_sketch_5.h"
#include "support/picture_checksum.h"

namespace atelion {

void PrintTo(const Bitmap24& picture, std::ostream* out);

namespace {

using testing_support::NoisySyntheticPhoto;

int Red(const Bitmap24& p, int x, int y) { return p.Row(y)[3 * x + 2]; }
int Green(const Bitmap24& p, int x, int y) { return p.Row(y)[3 * x + 1]; }
int Round(double v) { return static_cast<int>(std::nearbyint(v)); }

// ---- The drawing done literally as described: full tables, the scratch picture B, its restore ----

struct LiteralTables {
  std::vector<std::int32_t> mag;
  std::vector<float> ang;
  std::vector<double> halfCos, halfSin;
};

std::int64_t LiteralGain(const Bitmap24& D, const Bitmap24& B, const Bitmap24& Gt, const std::vector<Point>& points) {
  std::int64_t e = 0, b = 0;
  for (const Point& p : points) {
    e += std::abs(Red(D, p.x, p.y) - Red(Gt, p.x, p.y));
    b += std::abs(Red(B, p.x, p.y) - Red(Gt, p.x, p.y));
    if (b > e) break;
  }
  return b - e;
}

void ReferenceSketch6(const Bitmap24& S, Bitmap24& D, int Lmin, int Lmax, int It, int Ci, int Fp, bool preview,
                      bool erase, Colour paper, double ratio, RunContext& context) {
  Lmax += 5;
  Lmin = std::min(Lmin, Lmax);
  if (erase || preview) D.Fill(paper);
  Bitmap24 Gt = D, B = D;
  const int W = D.Width(), H = D.Height();
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const Colour c = S.Pixel(x, y);
      const int g = (3 * RedOf(c) + 6 * GreenOf(c) + BlueOf(c)) / 10;
      Gt.SetPixel(x, y, MakeColour(g, g, g));
    }
  }
  LiteralTables t;
  const std::size_t count = static_cast<std::size_t>(W) * H;
  t.mag.assign(count, 0);
  t.ang.assign(count, 0);
  t.halfCos.assign(count, 0);
  t.halfSin.assign(count, 0);
  for (int y = 1; y <= H - 2; ++y) {
    for (int x = 1; x <= W - 2; ++x) {
      auto g = [&](int dx, int dy) { return Red(Gt, x + dx, y + dy); };
      const int gy = 47 * g(-1, -1) + 162 * g(0, -1) + 47 * g(1, -1) - 47 * g(-1, 1) - 162 * g(0, 1) - 47 * g(1, 1);
      const int gx = 47 * g(-1, -1) + 162 * g(-1, 0) + 47 * g(-1, 1) - 47 * g(1, -1) - 162 * g(1, 0) - 47 * g(1, 1);
      const int m = std::abs(gx) + std::abs(gy);
      float theta;
      if (m > 2500) {
        theta = static_cast<float>(static_cast<double>(std::atan2(static_cast<float>(gy), static_cast<float>(gx))) + 1.5707);
      } else {
        theta = context.Random(100) <= 50 ? 2.7415926f : 2.6415927f;
      }
      if (theta < 0) theta = static_cast<float>(theta + 6.283185307179586);
      if (theta > 3.141592653589793) theta = static_cast<float>(theta - 3.141592653589793);
      const std::size_t i = static_cast<std::size_t>(y) * W + x;
      t.mag[i] = m;
      t.ang[i] = theta;
      t.halfCos[i] = std::cos(static_cast<double>(theta)) / 2;
      t.halfSin[i] = std::sin(static_cast<double>(theta)) / 2;
    }
  }
  const std::int64_t N = static_cast<std::int64_t>(std::nearbyint((300.0 * It + 200) * ratio)) + 1;
  for (std::int64_t k = 0; k <= N; ++k) {
    const int p = static_cast<int>((100 * k) / N);
    const int s = p > 5 ? static_cast<int>((4 * k) / N) : 25;
    int T = Fp <= 127 ? (110 - p) / ((128 - Fp) / 25 + 1) : (110 - p) * ((Fp - 127) / 15 + 1);
    if (p < 5) T /= 4;
    for (int stroke = 0; stroke <= s; ++stroke) {
      std::int64_t best = 0;
      int stagnation = 0, bestQ = 0;
      std::vector<Point> bestPoints;
      for (int j = 0; j <= T; ++j) {
        int x, y, r;
        do {
          x = context.Random(W - 2) + 1;
          y = context.Random(H - 2) + 1;
          r = context.Random(5 * p);
        } while (std::abs(Red(Gt, x, y) - Red(D, x, y)) < r && p > 4);
        const int q = (Green(Gt, x, y) + 2 * Green(D, x, y)) / 3;
        const std::size_t at = static_cast<std::size_t>(y) * W + x;
        int L = context.Random(Lmax / 2 - p + 100) / 3;
        L += context.Random(std::min(40, t.mag[at] / 2500));
        L += Lmin + 3;
        L = std::min(L, Lmax);
        const int x2 = std::clamp(x + Round(L * t.halfCos[at]), 0, W - 1);
        const int y2 = std::clamp(y + Round(L * t.halfSin[at]), 0, H - 1);
        const int x1 = std::clamp(x - Round(L * t.halfCos[at]), 0, W - 1);
        const int y1 = std::clamp(y - Round(L * t.halfSin[at]), 0, H - 1);
        for (int yy = std::min(y1, y2); yy <= std::max(y1, y2); ++yy) {
          for (int xx = std::min(x1, x2); xx <= std::max(x1, x2); ++xx) B.SetPixel(xx, yy, D.Pixel(xx, yy));
        }
        const std::vector<Point> points = LinePoints(x1, y1, x2, y2);
        const int n = static_cast<int>(points.size());
        for (int i = 0; i < n; ++i) {
          const int tt = std::clamp((std::abs(i - n / 2) * 384) / (n - 1), 0, 255);
          const int v = ((255 - tt) * q) / 255 + (tt * Red(B, points[i].x, points[i].y)) / 255;
          B.SetPixel(points[i].x, points[i].y, MakeColour(v, v, v));
        }
        const std::int64_t g = LiteralGain(D, B, Gt, points);
        if (g < best) {
          best = g;
          bestQ = q;
          bestPoints = points;
          stagnation = 0;
        }
        ++stagnation;
        if (stagnation >= T / 20 + 5) {
          if (best < 0) break;
          stagnation = 0;
        }
      }
      if (best < 0) {
        const int n = static_cast<int>(bestPoints.size());
        for (int i = 0; i < n; ++i) {
          const int tt = std::clamp((std::abs(i - n / 2) * 384) / (n - 1) + 64, 0, 255);
          const int v = ((255 - tt) * bestQ) / 255 + (tt * Red(D, bestPoints[i].x, bestPoints[i].y)) / 255;
          D.SetPixel(bestPoints[i].x, bestPoints[i].y, MakeColour(v, v, v));
        }
      }
    }
  }
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const Colour c = D.Pixel(x, y);
      if (RedOf(c) + GreenOf(c) + BlueOf(c) >= 540) continue;
      const int d = t.mag[static_cast<std::size_t>(y) * W + x] / 1800;
      D.SetPixel(x, y, MakeColour(std::max(0, RedOf(c) - d), std::max(0, GreenOf(c) - d), std::max(0, BlueOf(c) - d)));
    }
  }
  if (Ci > 0) {
    Bitmap24 Bc = D;
    ColouriseDrawing(S, Bc);
    BlendLayers(S, Bc, 255, Ci / 3, 50);
    BlendLayers(D, Bc, Ci, Ci / 4, 50);
    D = Bc;
    ColourVibrance(D, D, 35);
    ColourVibrance(D, D, 35);
  }
}

struct SketchCase {
  const char* name;
  int width, height;
  int Lmin, Lmax, It, Ci, Fp;
  bool preview, erase;
  int sourceWidth, sourceHeight;  // of the whole source; 0 when the picture is the whole source
};

TEST(PencilSketch6, MatchesTheLiteralStrokeSearch) {
  const SketchCase cases[] = {
      {"factory defaults on fresh paper", 48, 40, 5, 50, 0, 0, 30, false, true, 0, 0},
      {"colour blended in", 40, 36, 5, 30, 1, 200, 30, false, true, 0, 0},
      {"over the previous drawing", 44, 30, 0, 20, 0, 0, 160, false, false, 0, 0},
      {"many candidates, long strokes", 36, 36, 90, 255, 0, 80, 255, true, false, 0, 0},
      {"few candidates, preview crop of a larger source", 50, 50, 2, 10, 10, 0, 0, true, false, 120, 110},
      {"narrowest picture with inner pixels", 3, 60, 5, 50, 0, 60, 30, false, true, 0, 0},
  };
  for (const SketchCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Bitmap24 photo = NoisySyntheticPhoto(c.width, c.height);
    const Bitmap24 previous = NoisySyntheticPhoto(c.width, c.height, 11);
    StyleSettings settings;
    settings.eraseBackground = c.erase;
    settings.paperColour = MakeColour(250, 246, 236);
    settings.sourceWidth = c.sourceWidth;
    settings.sourceHeight = c.sourceHeight;
    const double ratio = c.sourceWidth == 0 ? 1.0
                                            : static_cast<double>(c.width) * c.height / (c.sourceWidth * c.sourceHeight);
    Bitmap24 drawing = previous, expected = previous;
    RunContext context, reference;
    context.Rng.RandomSeed = reference.Rng.RandomSeed = 31;
    PencilSketch6(photo, drawing, {c.Lmin, c.Lmax, c.It, c.Ci, c.Fp}, settings, c.preview, context);
    ReferenceSketch6(photo, expected, c.Lmin, c.Lmax, c.It, c.Ci, c.Fp, c.preview, c.erase, settings.paperColour, ratio,
                     reference);
    EXPECT_EQ(drawing, expected);
    EXPECT_EQ(context.Rng.RandomSeed, reference.Rng.RandomSeed);
  }
}

TEST(LinePoints, RunsFromTheFirstEndToTheSecondOnePixelAStep) {
  const struct {
    int x1, y1, x2, y2;
  } cases[] = {{0, 0, 5, 2}, {5, 2, 0, 0}, {3, 3, 3, 9}, {7, 1, 1, 7}, {2, 2, 2, 2}, {0, 9, 4, 0}, {-3, 4, 6, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x1 << "," << c.y1 << " to " << c.x2 << "," << c.y2);
    const std::vector<Point> points = LinePoints(c.x1, c.y1, c.x2, c.y2);
    ASSERT_EQ(static_cast<int>(points.size()), std::max(std::abs(c.x2 - c.x1), std::abs(c.y2 - c.y1)) + 1);
    EXPECT_EQ(points.front(), (Point{c.x1, c.y1}));
    EXPECT_EQ(points.back(), (Point{c.x2, c.y2}));
    for (std::size_t i = 1; i < points.size(); ++i) {
      EXPECT_LE(std::abs(points[i].x - points[i - 1].x), 1);
      EXPECT_LE(std::abs(points[i].y - points[i - 1].y), 1);
      // Every point lies within half a pixel of the true line across its longer axis.
      const double dx = c.x2 - c.x1, dy = c.y2 - c.y1;
      const double off = std::abs((points[i].x - c.x1) * dy - (points[i].y - c.y1) * dx) / std::max(std::abs(dx), std::abs(dy));
      EXPECT_LE(off, 0.5 + 1e-9);
    }
  }
  EXPECT_EQ(LinePoints(0, 0, 4, 2), (std::vector<Point>{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}));
}

TEST(StrokeGain, StopsAtTheFirstPointWhereTheCandidateIsWorse) {
  GreyPlane target{4, 1, {100, 100, 100, 100}};
  Bitmap24 D(4, 1, MakeColour(160, 160, 160));  // 60 off everywhere
  const std::vector<Point> points = {{0, 0}, {1, 0}, {2, 0}, {3, 0}};
  const struct {
    std::vector<std::uint8_t> candidate;
    std::int64_t gain;
  } cases[] = {
      {{100, 100, 100, 100}, -240},  // on the target all along
      {{130, 130, 130, 130}, -120},  // half as far off
      {{100, 240, 100, 100}, 20},    // worse after the second point: stops there (140 > 120)
      {{230, 100, 100, 100}, 70},    // worse at once
  };
  for (const auto& c : cases) EXPECT_EQ(StrokeGain(D, c.candidate, target, points), c.gain);
}

TEST(PencilSketch6, LeavesTinyPicturesUnstrokedAndDrawsTheSmallestOnesWithInnerPixels) {
  const struct {
    int width, height;
  } cases[] = {{1, 1}, {2, 2}, {7, 1}, {1, 1000}, {3000, 2}, {3, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
    const Bitmap24 photo = NoisySyntheticPhoto(c.width, c.height);
    for (const int Ci : {0, 255}) {
      Bitmap24 drawing = photo;
      StyleSettings settings;
      RunContext context;
      PencilSketch6(photo, drawing, {5, 50, 30, Ci, 30}, settings, false, context);
      ASSERT_EQ(drawing.Width(), c.width);
      ASSERT_EQ(drawing.Height(), c.height);
      if (Ci == 0 && (c.width < 3 || c.height < 3)) {
        EXPECT_EQ(drawing, Bitmap24(c.width, c.height));
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

TEST(PencilSketch6, AnAbortedDrawingKeepsItsStrokesWithoutDarkeningOrColour) {
  const Bitmap24 photo = NoisySyntheticPhoto(60, 50);
  auto draw = [&](int Ci, int pumps) {
    Bitmap24 drawing = photo;
    StyleSettings settings;
    RunContext context;
    context.Rng.RandomSeed = 8;
    context.Processing = true;
    AbortAfterPumps sink(context, pumps);
    context.Progress = &sink;
    PencilSketch6(photo, drawing, {5, 50, 1, Ci, 30}, settings, false, context);
    return drawing;
  };
  const Bitmap24 paper(60, 50, 0xFFFFFF);
  const Bitmap24 partial = draw(0, 40);
  EXPECT_NE(partial, paper);
  EXPECT_NE(partial, draw(0, 100000000));
  EXPECT_EQ(draw(255, 40), partial);
}

TEST(ProcessPencilSketch6, DrawsOverThePreviousResultOnlyWhenTheBackgroundIsKept) {
  const Bitmap24 photo = NoisySyntheticPhoto(48, 40);
  const Bitmap24 previous = NoisySyntheticPhoto(48, 40, 5);
  for (const bool erase : {true, false}) {
    SCOPED_TRACE(erase ? "background erased" : "background kept");
    RunPictures pictures;
    pictures.source = photo;
    pictures.result = previous;
    StyleSettings settings;
    settings.effectId = kPencilSketch6EffectId;
    settings.sliders = {5, 50, 0, 0, 30};
    settings.eraseBackground = erase;
    RunContext context;
    context.Rng.RandomSeed = 12;
    ASSERT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
    Bitmap24 expected = erase ? photo : previous;
    RunContext reference;
    reference.Rng.RandomSeed = 12;
    ReferenceSketch6(photo, expected, 5, 50, 0, 0, 30, false, erase, 0xFFFFFF, 1.0, reference);
    EXPECT_EQ(pictures.result, expected);
    EXPECT_EQ(pictures.source, photo);
  }
}

}  // namespace

void PrintTo(const Bitmap24& picture, std::ostream* out) {
  *out << picture.Width() << " x " << picture.Height() << " picture, checksum " << std::hex
       << testing_support::Fnv1a(picture) << std::dec;
}

}  // namespace atelion
