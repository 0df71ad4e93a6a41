#include "styles/painting/painting_10.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "core/filters.h"
#include "styles/painting/shaded_brush.h"
#include "support/picture_checksum.h"
#include "support/synthetic_photos.h"

namespace atelion {
namespace {

using testing_support::Fnv1a;
using testing_support::NoisySyntheticPhoto;

// ---- The brush ----

TEST(ShadedBrush, IsABlackRoundDabThinnerOnItsLitSideAndFadingAtItsRim) {
  const Bitmap32& brush = StandardPaintBrush3D();
  ASSERT_EQ(brush.Width(), kShadedBrushWidth);
  ASSERT_EQ(brush.Height(), kShadedBrushHeight);
  auto alpha = [&](int x, int y) { return int(brush.Row(y)[4 * x + 3]); };
  int colour = 0;
  for (int y = 0; y < brush.Height(); ++y) {
    for (int x = 0; x < brush.Width(); ++x) colour += brush.Row(y)[4 * x] + brush.Row(y)[4 * x + 1] + brush.Row(y)[4 * x + 2];
  }
  EXPECT_EQ(colour, 0);
  EXPECT_EQ(alpha(0, 0), 0);    // corners outside the dab
  EXPECT_EQ(alpha(93, 94), 0);
  EXPECT_GT(alpha(47, 47), 150);  // dense in the middle
  EXPECT_LT(alpha(30, 28), alpha(64, 66));  // the lit upper left is thinner than the shaded lower right
  EXPECT_LT(alpha(47, 2), alpha(47, 10));   // fading towards the rim
  EXPECT_EQ(GenerateShadedBrush(), GenerateShadedBrush());
}

// ---- The painting done literally as described: every rule on plain pictures ----

int Channel(const Bitmap24& p, int x, int y, int c) { return p.Row(y)[3 * x + c]; }

void ReferencePainting(Bitmap24& S, Bitmap24& D, int a, int b, int c, int e, int s, bool doubled, bool preview) {
  RunContext context;
  context.Rng.RandomSeed = 69006;
  const int W = S.Width(), H = S.Height();
  D = Bitmap24(W, H, 0xFFFFFF);
  AdjustSaturation(S, ((s - 128) * 100) / 128, context);
  Bitmap32 B = StandardPaintBrush3D();
  const int Bw = B.Width(), Bh = B.Height();
  const int g = e / 2 + 128;
  for (int y = 0; y < Bh; ++y) {
    for (int x = 0; x < Bw; ++x) B.Row(y)[4 * x + 3] = std::min(255, g * B.Row(y)[4 * x + 3] / 255);
  }
  const int K = g / 3;
  const int z0 = 1800 + std::min(b / 2, 50);
  const int w = std::max(1, ((W / 20) * (H / 20)) / 100);
  int r = 0, m = 0, len = 0, wid = 0;
  for (int z = z0; z >= 4 * a; --z) {
    if (z <= 1570) {
      r = (1600 - z) / 40;
      if (z <= 4 * a + 500) r = 3 * r;
    }
    for (int step = 0; step < w; ++step) {
      if (z % 2 == 0) {
        const int n = std::max(0, (r * b) / 40);
        m = n + 1;
        for (int attempt = 0; attempt <= n; ++attempt) {
          int x = 0, y = 0;
          for (int tries = 0; tries < (z < 1500 ? 1 : 250); ++tries) {
            x = context.Random(W - 2) + 1;
            y = context.Random(H - 2) + 1;
            if (z < 1500 || D.Pixel(x, y) == 0xFFFFFF) break;
          }
          int Gx = -1000000, Gy = -1000000;
          for (int ch = 0; ch < 3; ++ch) {
            auto P = [&](int dx, int dy) { return Channel(S, x + dx, y + dy, ch); };
            Gy = std::max(Gy, 3 * P(-1, -1) + 10 * P(0, -1) + 3 * P(1, -1) - 3 * P(-1, 1) - 10 * P(0, 1) - 3 * P(1, 1));
            Gx = std::max(Gx, 3 * P(-1, -1) + 10 * P(-1, 0) + 3 * P(-1, 1) - 3 * P(1, -1) - 10 * P(1, 0) - 3 * P(1, 1));
          }
          const int mag = std::abs(Gx) + std::abs(Gy);
          const int t0 = context.Random(c);
          if (!(mag >= 10 * c - t0 || z >= 1700)) continue;
          // The stroke.
          const int Q = (mag >> 7) + 1;
          const int v = std::min(context.Random(std::max(0, (wid + len) / 6 - Q / 4)) + 1, 5);
          const int C[3] = {Channel(S, x, y, 0), Channel(S, x, y, 1), Channel(S, x, y, 2)};
          int Lc[3];
          for (int ch = 0; ch < 3; ++ch) Lc[ch] = std::min(255, 2 * C[ch]);
          const double o = Q > 1 ? double(std::atan2(float(Gy), float(Gx))) + 1.5707 : context.Random(628) / 100.0;
          len = context.Random(Q / 2 + z / 80) + 2;
          wid = context.Random(z / 65) + 1;
          if (z >= 1700) {
            len = std::max(20, std::min(Bw, int(std::floor(len * 180.0)) / 100));
            wid = std::max(20, std::min(Bh, int(std::floor(wid * 220.0)) / 100));
          }
          if (doubled) len *= preview ? 2 : 3, wid *= preview ? 2 : 3;
          int x0 = x - int(std::floor(std::cos(o) * len)), y0 = y - int(std::floor(std::sin(o) * len));
          if (!preview) x0 = std::clamp(x0, 0, W - 1), y0 = std::clamp(y0, 0, H - 1);
          const int x1 = x + int(std::floor(std::cos(o) * len)), y1 = y + int(std::floor(std::sin(o) * len));
          wid = std::min(wid, Bh - 1);
          const int rx = std::min(Bw / 2, wid * 143 / 100), ry = std::min(Bh / 2, wid * 143 / 100);
          long long cnt = 0;
          const long long limit = z <= 1700 ? (long long)wid * len : 3LL * wid * len;
          const int N = int(std::floor(std::sqrt(double((y1 - y0) * (y1 - y0) + (x1 - x0) * (x1 - x0)))));
          bool ended = false;
          for (int t = 1; t <= N && !ended; ++t) {
            const int cx = (x1 * t + (N - t) * x0) / N, cy = (y1 * t + (N - t) * y0) / N;
            for (int yy = std::max(0, cy - ry); yy <= std::min(H - 1, cy + ry - 1) && !ended; ++yy) {
              for (int xx = std::max(0, cx - rx); xx <= std::min(W - 1, cx + rx - 1) && !ended; ++xx) {
                if (std::sqrt(double((xx - cx) * (xx - cx) + (yy - cy) * (yy - cy))) > wid) continue;
                const std::uint8_t* bp = B.Row(Bh / 2 + yy - cy) + 4 * (Bw / 2 + xx - cx);
                const int A = bp[3];
                if (A < 15) continue;
                const int Rb = bp[2];
                int M[3];
                for (int ch = 0; ch < 3; ++ch) M[ch] = (C[ch] * A + Lc[ch] * (256 - A)) >> 8;
                int f = z > 1700 ? (10 * A) / 15 : A / v;
                int E = 1;
                for (int ch = 0; ch < 3; ++ch) E += std::abs(Channel(S, xx, yy, ch) - M[ch]);
                if (E >= 500) {
                  ++cnt;
                  if (z < 1700 && cnt > limit) ended = true;
                }
                if (ended) break;
                if (z <= K + 4 * a + 50 && wid <= 25 && len <= 25 && Q >= 10) f -= (10 * E) / 22;
                else if (E < K + 1 || (wid < 5 && len < 5 && Q > 16)) f -= (10 * E) / 18;
                else f -= (10 * E) / 12;
                f = std::clamp(f, 0, 255);
                if (f >= 5) {
                  std::uint8_t* d = D.Row(yy) + 3 * xx;
                  for (int ch = 0; ch < 3; ++ch) d[ch] = ((256 - f) * d[ch] + ((f * (255 - Rb) * M[ch]) >> 8)) >> 8;
                }
              }
              if (cnt > limit) ended = true;
            }
            if (cnt > limit) ended = true;
          }
          if (ended) {
            m = attempt;
            break;
          }
        }
      }
    }
  }
  Sharpen3(D);
  Sharpen3(D);
  Sharpen3(D);
}

struct Case {
  int width, height;
  ShadedBrushParameters p;
  bool doubled, preview;
};

const Case kCases[] = {
    {48, 40, {50, 50, 50, 130, 130}, false, false},  // the factory settings
    {44, 44, {250, 255, 0, 255, 40}, true, true},    // every attempt painted, doubled preview strokes
    {90, 24, {100, 10, 100, 0, 255}, true, false},   // strict gate, tripled strokes clamped at the start
    {300, 280, {250, 10, 30, 200, 128}, false, false},  // two steps per level
    {120, 120, {50, 50, 50, 130, 130}, false, true},   // a manual brush dab: strokes run off every side
};

TEST(ShadedBrushPainting, MatchesTheLiteralStrokeLoop) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    const Bitmap24 photo = NoisySyntheticPhoto(c.width, c.height);
    Bitmap24 S = photo, D, refS = photo, expected;
    RunContext context;
    ShadedBrushPainting(S, D, c.p, {.doubled = c.doubled, .preview = c.preview}, context);
    ReferencePainting(refS, expected, c.p.minimumSize, c.p.iterations, c.p.abstraction, c.p.strength,
                      c.p.saturation, c.doubled, c.preview);
    EXPECT_EQ(D, expected);
    EXPECT_EQ(S, refS);  // the saturation change stays in S
    EXPECT_NE(D, Bitmap24(c.width, c.height, 0xFFFFFF));
  }
}

TEST(ShadedBrushPainting, IsReproducibleAndKeepsItsGoldenChecksum) {
  const Bitmap24 photo = NoisySyntheticPhoto(48, 40);
  const Case& c = kCases[0];
  Bitmap24 S1 = photo, S2 = photo, D1, D2;
  RunContext first, second;
  first.Rng.RandomSeed = 1;
  second.Rng.RandomSeed = 999;  // the style sets its own seed
  ShadedBrushPainting(S1, D1, c.p, {}, first);
  ShadedBrushPainting(S2, D2, c.p, {}, second);
  EXPECT_EQ(D1, D2);
  // Recorded once the same painting had matched the literal loop (kCases[0] above).
  EXPECT_EQ(Fnv1a(D1), 0x3f602bacdc0757c0ull);
}

TEST(ShadedBrushPainting, TinyAndThinPicturesComeBackWithTheirSize) {
  const int sizes[][2] = {{1, 1}, {2, 2}, {7, 1}, {1, 1000}, {3000, 2}, {3, 3}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(testing::Message() << size[0] << " x " << size[1]);
    const Bitmap24 photo = NoisySyntheticPhoto(size[0], size[1]);
    StyleSettings settings;
    settings.effectId = kPainting10EffectId;
    settings.sliders = {0, 60, 0, 255, 128};
    settings.doubled = true;
    RunContext context;
    Bitmap24 source = photo, shown = photo;
    const StyleOutput output = ProcessPainting10(source, shown, settings, SurfaceSettings{}, context);
    EXPECT_EQ(output.picture.Width(), size[0]);
    EXPECT_EQ(output.picture.Height(), size[1]);
    const StyleOutput preview = PreviewPainting10(photo, settings, SurfaceSettings{}, context);
    EXPECT_EQ(preview.picture.Height(), size[1]);
    // Without inner pixels nothing can be measured: the picture comes back as it was; with them
    // it is painted.
    const bool inner = size[0] >= 3 && size[1] >= 3;
    EXPECT_EQ(output.picture == photo, !inner);
    EXPECT_EQ(preview.picture == photo, !inner);
  }
}

TEST(ShadedBrushPainting, ABrushOfOnePixelOrNoneIsSafe) {
  const Bitmap24 photo = NoisySyntheticPhoto(30, 30);
  const Bitmap32 tiny(1, 1, 255), none;
  for (const Bitmap32* brush : {&tiny, &none}) {
    Bitmap24 S = photo, D;
    RunContext context;
    EXPECT_TRUE(ShadedBrushPainting(S, D, {50, 50, 0, 130, 130}, {.brush = brush}, context));
    EXPECT_EQ(D.Width(), 30);
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

TEST(ShadedBrushPainting, AnAbortedPaintingKeepsItsStrokesUnsharpened) {
  const Bitmap24 photo = NoisySyntheticPhoto(48, 40);
  auto paint = [&](int pumps, bool& finished) {
    RunContext context;
    context.Processing = true;
    AbortAfterPumps sink(context, pumps);
    context.Progress = &sink;
    Bitmap24 S = photo, D;
    finished = ShadedBrushPainting(S, D, {50, 50, 50, 130, 130}, {}, context);
    return D;
  };
  bool finished = false;
  const Bitmap24 complete = paint(1 << 30, finished);
  EXPECT_TRUE(finished);
  const Bitmap24 partial = paint(200, finished);
  EXPECT_FALSE(finished);
  EXPECT_NE(partial, Bitmap24(48, 40, 0xFFFFFF));
  EXPECT_NE(partial, complete);
}

}  // namespace
}  // namespace atelion
