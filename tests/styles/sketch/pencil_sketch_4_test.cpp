#include "styles/sketch/pencil_sketch_4.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <tuple>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/geometry.h"
#include "core/rotate_bitmap.h"
#include "effects/run_pipeline.h"
#include "styles/sketch/pencil_stroke_pictures.h"
#include "support/picture_checksum.h"

namespace atelion {
namespace {

using testing_support::Fnv1a;
using testing_support::NoisySyntheticPhoto;

// ---- The stroke pictures ----

TEST(PencilStrokePictures, AreThinGraphiteLinesOfTheDescribedShapeOnWhitePaper) {
  const struct {
    const char* name;
    Bitmap24 picture;
    int firstColumn, lastColumn, top, bottom;
  } cases[] = {
      {"straight", GeneratePencilStroke(), 1, 99, 48, 54},
      {"curved", GeneratePencilStroke2(), 3, 97, 46, 54},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(c.picture.Width(), 100);
    ASSERT_EQ(c.picture.Height(), 100);
    int graphite = 0, darkest = 255;
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 100; ++x) {
        const Colour p = c.picture.Pixel(x, y);
        ASSERT_TRUE(RedOf(p) == GreenOf(p) && GreenOf(p) == BlueOf(p));
        darkest = std::min(darkest, static_cast<int>(RedOf(p)));
        if (RedOf(p) > 240) continue;
        ++graphite;
        EXPECT_TRUE(x >= c.firstColumn && x <= c.lastColumn && y >= c.top && y <= c.bottom) << x << "," << y;
      }
    }
    EXPECT_GE(graphite, 450);
    EXPECT_LE(graphite, 550);
    EXPECT_LT(darkest, 60);  // a dark graphite core
  }
  // The curve: ends low, middle high.
  const Bitmap24 curved = GeneratePencilStroke2();
  auto darkestRow = [&](int x) {
    int row = 0;
    for (int y = 0; y < 100; ++y) row = curved.Pixel(x, y) < curved.Pixel(x, row) ? y : row;
    return row;
  };
  EXPECT_GE(darkestRow(8), 53);
  EXPECT_LE(darkestRow(50), 50);
  EXPECT_GE(darkestRow(92), 51);
}

TEST(TurnedPencilStroke, IsTheStrokeResampledTurnedBlurredOnEvenAnglesAndCentred) {
  for (const int g : {0, 1, 3, 30, 45, 90, 181, 359}) {
    SCOPED_TRACE(g);
    const Bitmap24& picture = g % 3 == 0 ? PencilStroke2() : PencilStroke();
    Bitmap24 B(100, 100);
    Resample(picture, B);
    Bitmap24 entry;
    RunContext context;
    RotateBitmap(B, entry, g, context);
    if (g % 2 == 0) BoxBlur3(entry);
    Bitmap24 expected(100, 100, 0xFFFFFF);
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 100; ++x) {
        const int sx = x - (100 - entry.Width()) / 2, sy = y - (100 - entry.Height()) / 2;
        if (entry.InBounds(sx, sy)) expected.SetPixel(x, y, entry.Pixel(sx, sy));
      }
    }
    EXPECT_EQ(TurnedPencilStroke(g), expected);
  }
  // The turned corners are white and never stamped.
  EXPECT_EQ(TurnedPencilStroke(45).Pixel(0, 0), 0xFFFFFFu);
}

// ---- The sketch done literally as described ----

// `stopAtPump` > 0: the user stops at that look at the shell; the sketch notices it after the
// stroke of the next attempt.
void ReferenceSketch(const Bitmap24& S, Bitmap24& D, int T, int N, int Sl, int A, int K, int stopAtPump = 0) {
  int pumps = 0;
  bool stopped = false;
  RunContext context;
  RandomGenerator& rng = context.Rng;
  const int W = S.Width(), H = S.Height();
  D = Bitmap24(W, H, 0xFFFFFF);
  rng.RandomSeed = 1969;
  N = N + Sl / 2;
  const std::int64_t count = (std::int64_t{W} * H / 200) * N;
  std::int64_t block = count / 20;
  if (block == 0) block = 1;  // pictures with fewer than twenty attempts
  auto m = [&](int x, int y) { return (S.Row(y)[3 * x] + S.Row(y)[3 * x + 1] + S.Row(y)[3 * x + 2]) / 3; };
  auto d = [&](int x, int y) { return (2 * (S.Row(y)[3 * x] + S.Row(y)[3 * x + 1] + S.Row(y)[3 * x + 2])) / 3; };
  auto lay = [&](int entry, int z, int x, int y, int w, int L, const int t[3]) {
    Bitmap24 stamp(z, z);
    Resample(TurnedPencilStroke(entry), stamp);
    for (int sy = 0; sy < z; ++sy) {
      for (int sx = 0; sx < z; ++sx) {
        const std::uint8_t* st = stamp.Row(sy) + 3 * sx;
        if (st[0] > 240 || st[1] > 240 || st[2] > 240) continue;
        const int px = x - z / 2 + sx, py = y - z / 2 + sy;
        if (px < 0 || px > W - 2 || py < 0 || py > H - 2) continue;
        std::uint8_t* p = D.Row(py) + 3 * px;
        for (const int c : {2, 1, 0}) {
          const int v = (w * p[c] + (L * p[c] + (256 - L) * st[c]) / 256) / (w + 1) + t[c];
          p[c] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
        }
      }
    }
  };
  for (std::int64_t i = 0; i <= count; ++i) {
    if (i % block == 0 && Sl > 10) Sl = (Sl * 95) / 100;
    const int x = rng.Random(W - 2) + 1;
    const int y = rng.Random(H - 2) + 1;
    const int u = m(x - 1, y - 1) + d(x - 1, y) + m(x - 1, y + 1) - m(x + 1, y - 1) - d(x + 1, y) - m(x + 1, y + 1);
    const int v = m(x - 1, y - 1) + d(x, y - 1) + m(x + 1, y - 1) - m(x - 1, y + 1) - d(x, y + 1) - m(x + 1, y + 1);
    const int P = (std::abs(u) + std::abs(v)) / 8;
    const double alpha = u != 0 ? std::atan(static_cast<double>(v) / u) + 1.5708 : 0;
    const int r = rng.Random(2);
    const int q = static_cast<int>(std::floor(57 * alpha + r));
    const int R = S.Row(y)[3 * x + 2], G = S.Row(y)[3 * x + 1], B = S.Row(y)[3 * x];
    int L = (R + G + B) / 3;
    const int c[3] = {B, G, R};
    if (P >= T) {
      const int r2 = rng.Random(Sl);
      const int z = (Sl * P) / 170 + r2 / 2 + 7;
      int t[3];
      for (int k = 0; k < 3; ++k) t[k] = (((255 - K) * L + K * c[k]) / 255 - 130) / 3;
      lay(q, z, x, y, 4, L, t);
    } else if (A < 255) {
      const int r1 = rng.Random(256 - L);
      const int r2 = rng.Random(8 * A);
      if (r1 >= r2) {
        L = (L * 108) / 100;
        const int z = rng.Random(Sl) + 7;
        int entry;
        if (rng.Random(100) < 15) {
          entry = rng.Random(5) + (R * 138) / 100;
        } else if (y % 5 == 0) {
          entry = 38 + rng.Random(2);
        } else {
          entry = 325 + rng.Random(2);
        }
        int t[3];
        for (int k = 0; k < 3; ++k) t[k] = (((255 - K) * L + K * c[k]) / 255 - 115) / 4;
        lay(entry, z, x, y, 5, L, t);
      }
    }
    if (stopped) return;
    if (rng.Random(1000) >= 998 && ++pumps == stopAtPump) stopped = true;
  }
}

Bitmap24 Sketch(const Bitmap24& source, int T, int N, int S, int A, int K, bool preview = false) {
  RunContext context;
  Bitmap24 out(source.Width(), source.Height(), 0x123456);
  NewPencilSketch(source, out, T, N, S, A, K, preview, context);
  return out;
}

TEST(NewPencilSketch, SlidersAreReadInSlotOrderWithinTheirRanges) {
  const NewPencilSketchParameters p = NewPencilSketchParametersFrom({20, 100, 25, 10, 140});
  EXPECT_EQ(std::tie(p.edgeThreshold, p.iterations, p.strokeLength, p.abstraction, p.colourIntensity),
            std::make_tuple(20, 100, 25, 10, 140));
  const NewPencilSketchParameters q = NewPencilSketchParametersFrom({-1, 300, 101, 256, -7});
  EXPECT_EQ(std::tie(q.edgeThreshold, q.iterations, q.strokeLength, q.abstraction, q.colourIntensity),
            std::make_tuple(0, 255, 100, 255, 0));
}

TEST(NewPencilSketch, MatchesTheLiteralStampingLoop) {
  const struct {
    const char* name;
    int width, height, T, N, S, A, K;
  } cases[] = {
      {"defaults", 60, 45, 20, 101, 25, 10, 140},
      {"every attempt an edge stroke, long strokes", 50, 40, 0, 30, 100, 0, 255},
      {"edges only", 50, 40, 10, 60, 40, 255, 0},
      {"no stroke length", 40, 30, 30, 40, 0, 0, 100},
      {"strong abstraction", 48, 36, 40, 80, 60, 200, 60},
      {"fewer than twenty attempts", 12, 9, 20, 5, 30, 0, 140},
      {"a single attempt", 5, 4, 0, 1, 50, 0, 140},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bitmap24 photo = NoisySyntheticPhoto(c.width, c.height);
    Bitmap24 expected;
    ReferenceSketch(photo, expected, c.T, c.N, c.S, c.A, c.K);
    EXPECT_EQ(Sketch(photo, c.T, c.N, c.S, c.A, c.K), expected);
    EXPECT_EQ(Sketch(photo, c.T, c.N, c.S, c.A, c.K, true), expected);  // the preview draws the same
  }
}

TEST(NewPencilSketch, IsReproducibleAndKeepsItsGoldenChecksum) {
  const Bitmap24 photo = NoisySyntheticPhoto(64, 48);
  Bitmap24 expected;
  ReferenceSketch(photo, expected, 20, 101, 25, 10, 140);
  const Bitmap24 first = Sketch(photo, 20, 101, 25, 10, 140);
  ASSERT_EQ(first, expected);
  RunContext other;
  other.Rng.RandomSeed = 77;  // whatever ran before
  Bitmap24 second(64, 48);
  NewPencilSketch(photo, second, 20, 101, 25, 10, 140, false, other);
  EXPECT_EQ(second, first);
  EXPECT_EQ(Fnv1a(first), 3575217163354013755u);
}

TEST(NewPencilSketch, WithFullAbstractionOnlyEdgesAreDrawn) {
  // A flat photograph has no edge anywhere: with abstraction 255 the paper stays white.
  const Bitmap24 flat(60, 50, 0x606060);
  EXPECT_EQ(Sketch(flat, 1, 50, 25, 255, 140), Bitmap24(60, 50));
  EXPECT_NE(Sketch(flat, 1, 50, 25, 0, 140), Bitmap24(60, 50));
}

TEST(NewPencilSketch, NeverChangesTheLastRowOrColumn) {
  const Bitmap24 photo = NoisySyntheticPhoto(40, 30);
  const Bitmap24 out = Sketch(photo, 0, 200, 100, 0, 140);
  for (int x = 0; x < 40; ++x) EXPECT_EQ(out.Pixel(x, 29), 0xFFFFFFu) << x;
  for (int y = 0; y < 30; ++y) EXPECT_EQ(out.Pixel(39, y), 0xFFFFFFu) << y;
}

TEST(NewPencilSketch, TinyPicturesComeBackAtTheirSize) {
  for (const auto& [w, h] : {std::pair{1, 1}, {2, 2}, {7, 1}, {1, 1000}, {3000, 2}, {3, 3}, {15, 13}}) {
    SCOPED_TRACE(testing::Message() << w << "x" << h);
    RunPictures pictures;
    pictures.source = NoisySyntheticPhoto(w, h);
    StyleSettings settings;
    settings.effectId = kPencilSketch4EffectId;
    settings.sliders = FactoryDefaults(kPencilSketch4EffectId);
    RunContext context;
    ASSERT_EQ(RunEffect(pictures, settings, {}, context), RunOutcome::Finished);
    EXPECT_EQ(pictures.result.Width(), w);
    EXPECT_EQ(pictures.result.Height(), h);
    if (w < 3 || h < 3) {
      EXPECT_EQ(pictures.result, Bitmap24(w, h));
    }
  }
}

// Raises the abort flag at a chosen event pump, as a click on the stop control would.
class StopAtPump : public ProgressSink {
 public:
  StopAtPump(RunContext& context, int pump) : context_(context), pump_(pump) {}
  void PumpEvents() override {
    if (++pumps == pump_) context_.AbortRequested = true;
  }
  int pumps = 0;

 private:
  RunContext& context_;
  int pump_;
};

TEST(NewPencilSketch, AStopKeepsTheStrokesLaid) {
  const Bitmap24 photo = NoisySyntheticPhoto(120, 100);
  const Bitmap24 whole = Sketch(photo, 20, 101, 25, 10, 140);
  RunContext context;
  StopAtPump shell(context, 3);
  context.Progress = &shell;
  Bitmap24 out(120, 100);
  NewPencilSketch(photo, out, 20, 101, 25, 10, 140, false, context);
  ASSERT_TRUE(context.AbortRequested);
  Bitmap24 expected;
  ReferenceSketch(photo, expected, 20, 101, 25, 10, 140, 3);
  EXPECT_EQ(out, expected);
  EXPECT_NE(out, Bitmap24(120, 100));  // strokes were laid
  EXPECT_NE(out, whole);               // but not all of them
}

}  // namespace
}  // namespace atelion
