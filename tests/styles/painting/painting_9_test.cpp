#include "styles/painting/painting_9.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <vector>

#include "core/canvas.h"
#include "core/hls.h"
#include "styles/painting/edge_strokes.h"
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

// ---- The painting done literally as described: a whole-picture blob picture Q, the polygon
// drawn on it, every loop in its order, one generator draw for every number drawn ----

struct LiteralBlob {
  int x, y, minX, minY, maxX, maxY;
};

int Sum(Colour c) { return RedOf(c) + GreenOf(c) + BlueOf(c); }
int Dist(Colour a, Colour b) {
  return std::abs(RedOf(a) - RedOf(b)) + std::abs(GreenOf(a) - GreenOf(b)) + std::abs(BlueOf(a) - BlueOf(b));
}

// `stopAfter` > 0 stops after that many blobs (seed choices), as an abort does.
std::vector<LiteralBlob> LiteralBlobPainting(const Bitmap24& S, Bitmap24& D, const BlobPaintingParameters& p,
                                             bool erase, RunContext& context, int stopAfter = 0) {
  std::vector<LiteralBlob> blobs;
  const int W = S.Width(), H = S.Height();
  const int I = p.iterations, Z = p.brushSize, P = p.precision, G = p.edgeIntensity, L = p.lighten;
  const int K = (255 - Z) / 20 + 1;
  if (erase) D.Fill(0xFFFFFF);
  context.Rng.RandomSeed = 1969;
  float cosr[150], sinr[150];
  for (int r = 0; r < 150; ++r) {
    cosr[r] = static_cast<float>(std::cos(r * 0.0419));
    sinr[r] = static_cast<float>(std::sin(r * 0.0419));
  }
  Bitmap24 Q = D;
  Bitmap24 E(W, H, 0xFFFFFF);
  if (G > 0) EdgeStrokes(S, E, 50 - G / 8, 210, 15, false, SurfaceSettings{}, context);
  const int B = static_cast<int>(std::clamp<std::int64_t>(std::int64_t{W} * H / 40000, 1, 100));
  const PaperTable& paper = WatercolourPaperTable();
  int done = 0;
  for (int j = 0; j <= 75 * I; ++j) {
    for (int b = 0; b <= B; ++b) {
      const int A = 105 - P;
      const int lim = context.Random(6 * A) + 2 * A;
      int d = 0, tries = 0, x = 0, y = 0;
      Colour col = 0;
      bool abandoned = false;
      while (d <= lim) {
        x = context.Random(W - 1);
        y = context.Random(H - 1);
        if (j < 12 * I) {
          for (int k = 0; k < 4 && Sum(D.Pixel(x, y)) < 765; ++k) {
            x = context.Random(W - 1);
            y = context.Random(H - 1);
          }
        }
        col = S.Pixel(x, y);
        d = Dist(D.Pixel(x, y), col);
        if (Sum(D.Pixel(x, y)) == 765 && Sum(col) < 700) break;
        if (++tries == 10) {
          abandoned = true;
          break;
        }
      }
      if (!abandoned) {
        const int Lb = (185000 - 2 * j) / 100;
        int minX = W, minY = H, maxX = 0, maxY = 0, prev = 0;
        std::array<Point, 150> points;
        for (int r = 0; r < 150; ++r) {
          int t = 1, budget = Lb;
          while (budget > 0 && t <= kMaxBlobRay) {
            const int px = x + static_cast<int>(std::floor(double{cosr[r]} * t));
            const int py = y + static_cast<int>(std::floor(double{sinr[r]} * t));
            if (px < 0 || py < 0 || px >= W || py >= H) break;
            minX = std::min(minX, px), minY = std::min(minY, py);
            maxX = std::max(maxX, px), maxY = std::max(maxY, py);
            int cost = Dist(S.Pixel(px, py), col) - Dist(D.Pixel(px, py), col) / 19;
            if (cost > 300) {
              cost = 4 * cost;
            } else if (cost > 120) {
              cost = 2 * cost;
            }
            budget -= cost * K;
            ++t;
          }
          if (prev > 0) t = (4 * t + 7 * prev) / 11;
          t = (t * (100 - context.Random(6))) / 100;
          prev = t;
          points[r] = {x + static_cast<int>(std::floor(double{cosr[r]} * t)),
                       y + static_cast<int>(std::floor(double{sinr[r]} * t))};
        }
        blobs.push_back({x, y, minX, minY, maxX, maxY});
        for (int X = minX; X <= maxX; ++X) {
          for (int Y = minY; Y <= maxY; ++Y) Q.SetPixel(X, Y, D.Pixel(X, Y));
        }
        DrawPolygon(Q, points, Pen{col, 1}, col);
        if (std::abs(minX - maxX) + std::abs(minY - maxY) >= 20) {
          for (int X = minX; X <= maxX; ++X) {
            for (int Y = minY; Y <= maxY; ++Y) {
              if (Q.Pixel(X, Y) != col) continue;
              const int grain = ((paper.mean - paper.At((X + RedOf(col)) % 1023, Y % 767)) << 6) / 255;
              Q.SetPixel(X, Y, MakeColour(std::clamp(RedOf(col) + grain, 0, 255), std::clamp(GreenOf(col) + grain, 0, 255),
                                          std::clamp(BlueOf(col) + grain, 0, 255)));
            }
          }
        }
        const int w0 = context.Random(30 - (d * 30) / 765) + 5;
        for (int X = minX; X <= maxX; ++X) {
          for (int Y = minY; Y <= maxY; ++Y) {
            const int r5 = context.Random(5);
            int F = static_cast<int>(std::floor(std::sqrt(double((Y - y) * (Y - y) + (X - x) * (X - x))))) / 6 + w0 + r5;
            F = std::max(std::min(F, 90), 0);
            const Colour dc = D.Pixel(X, Y), qc = Q.Pixel(X, Y);
            D.SetPixel(X, Y, MakeColour((F * RedOf(dc) + (100 - F) * RedOf(qc)) / 100,
                                        (F * GreenOf(dc) + (100 - F) * GreenOf(qc)) / 100,
                                        (F * BlueOf(dc) + (100 - F) * BlueOf(qc)) / 100));
          }
        }
      }
      if (stopAfter > 0 && ++done == stopAfter) return blobs;
    }
  }
  if (erase) {
    for (int Y = 0; Y < H && W >= 2; ++Y) {
      for (int X = W - 2; X >= 0 && X >= W - 9 && Sum(D.Pixel(W - 1, Y)) == 765; --X) D.SetPixel(W - 1, Y, D.Pixel(X, Y));
    }
    for (int X = 0; X < W && H >= 2; ++X) {
      for (int Y = H - 2; Y >= 0 && Y >= H - 9 && Sum(D.Pixel(X, H - 1)) == 765; --Y) D.SetPixel(X, H - 1, D.Pixel(X, Y));
    }
  } else {
    for (int X = 0; X < W; ++X) {
      for (int Y = 0; Y < H; ++Y) {
        HlsColour hls = ColorRGBToHLS(D.Pixel(X, Y));
        if (L > 0) {
          int add = (((240 - hls.saturation) * 2 + (hls.lightness - 128) / 2) * 255) / ((255 - L) * 32 + 2);
          if (add < 0) add = 0;
          hls.lightness = std::min(hls.lightness + add, 240);
        }
        const Colour c = ColorHLSToRGB(hls.hue, hls.lightness, hls.saturation);
        D.SetPixel(X, Y, MakeColour(std::min(RedOf(c) + L / 5, 255), std::min(GreenOf(c) + L / 5, 255),
                                    std::min(BlueOf(c) + L / 5, 255)));
      }
    }
  }
  for (int X = 0; X <= W - 2; ++X) {
    for (int Y = 0; Y <= H - 2; ++Y) {
      const Colour e = E.Pixel(X, Y), v = D.Pixel(X, Y);
      const int g = (std::max(RedOf(e), 20) + std::max(GreenOf(e), 20) + std::max(BlueOf(e), 20)) / 3;
      auto mix = [&](int ch) { return (ch * (255 - G) + G * ((ch * g) / 255)) / 255; };
      D.SetPixel(X, Y, MakeColour(mix(RedOf(v)), mix(GreenOf(v)), mix(BlueOf(v))));
    }
  }
  return blobs;
}

StyleSettings SettingsFor(const Bitmap24& photo, bool erase) {
  StyleSettings settings;
  settings.effectId = kPainting9EffectId;
  settings.sliders = FactoryDefaults(kPainting9EffectId);
  settings.sourceMean = ComputeMeanColour(photo);
  settings.eraseBackground = erase;
  return settings;
}

Bitmap24 Paint(const Bitmap24& photo, Bitmap24 canvas, const BlobPaintingParameters& p, bool erase) {
  RunContext context;
  BlobPainting(photo, canvas, p, SettingsFor(photo, erase), SurfaceSettings{}, context);
  return canvas;
}

Bitmap24 PaintLiterally(const Bitmap24& photo, Bitmap24 canvas, const BlobPaintingParameters& p, bool erase) {
  RunContext context;
  LiteralBlobPainting(photo, canvas, p, erase, context);
  return canvas;
}

// An earlier result to paint over: the photograph's colours turned around.
Bitmap24 EarlierResult(const Bitmap24& photo) {
  Bitmap24 picture = photo;
  InvertColours(picture);
  return picture;
}

TEST(BlobPaintingParameters, ReadTheSlotsInTheirOrderWithinTheSliderRanges) {
  ParameterSet sliders{};
  sliders[kSlotTrackBar1] = 7;     // iterations
  sliders[kSlotTrackBar2] = 400;   // brush size
  sliders[kSlotTrackBar5] = 101;   // precision, 0..100
  sliders[kSlotTrackBar3] = 127;   // edge intensity
  sliders[kSlotTrackBar4] = -1;    // lighten
  const BlobPaintingParameters p = BlobPaintingParametersFrom(sliders);
  EXPECT_EQ(p.iterations, 7);
  EXPECT_EQ(p.brushSize, 255);
  EXPECT_EQ(p.precision, 100);
  EXPECT_EQ(p.edgeIntensity, 127);
  EXPECT_EQ(p.lighten, 0);
}

struct LiteralCase {
  BlobPaintingParameters p;
  bool erase;
};

// Seeds on white and on paint, large and small brushes, precision at its ends, contours on and
// off, painting over an earlier result with and without lightening.
constexpr LiteralCase kLiteralCases[] = {
    {{7, 170, 90, 127, 10}, true},  {{0, 255, 100, 0, 0}, true},   {{2, 0, 0, 255, 255}, true},
    {{1, 120, 50, 60, 200}, false}, {{1, 200, 100, 0, 0}, false},  {{3, 90, 70, 30, 120}, true},
};

TEST(BlobPainting, MatchesTheLiteralBlobLoop) {
  const Bitmap24 photo = NoisySyntheticPhoto(61, 43);
  for (const LiteralCase& c : kLiteralCases) {
    SCOPED_TRACE(testing::Message() << "I " << c.p.iterations << " Z " << c.p.brushSize << " P " << c.p.precision
                                    << " G " << c.p.edgeIntensity << " L " << c.p.lighten << " erase " << c.erase);
    const Bitmap24 canvas = EarlierResult(photo);
    const Bitmap24 painted = Paint(photo, canvas, c.p, c.erase);
    EXPECT_EQ(painted, PaintLiterally(photo, canvas, c.p, c.erase));
    EXPECT_NE(painted, c.erase ? Bitmap24(61, 43) : canvas);
  }
}

TEST(BlobPainting, IsReproducibleAndKeepsItsGoldenChecksum) {
  const Bitmap24 photo = NoisySyntheticPhoto(96, 64);
  const BlobPaintingParameters defaults = BlobPaintingParametersFrom(FactoryDefaults(kPainting9EffectId));
  const Bitmap24 painted = Paint(photo, photo, defaults, true);
  ASSERT_EQ(painted, PaintLiterally(photo, photo, defaults, true));
  EXPECT_EQ(Paint(photo, EarlierResult(photo), defaults, true), painted);  // the canvas is erased
  EXPECT_EQ(Fnv1a(painted), 0xe1a6b49a72ad6b80ull);
}

TEST(BlobPainting, FlatAreasOnWhiteGiveBlobsNoWiderThanTheRayLimit) {
  // On a flat photograph every step of a ray is free on a white canvas: only the picture's border
  // and the ray limit end it.
  const Bitmap24 photo(2 * kMaxBlobRay + 600, 6, MakeColour(90, 120, 150));
  const BlobPaintingParameters p{0, 170, 90, 0, 0};
  RunContext context;
  Bitmap24 literal = photo;
  const std::vector<LiteralBlob> blobs = LiteralBlobPainting(photo, literal, p, true, context);
  ASSERT_FALSE(blobs.empty());
  bool limited = false;  // some ray was ended by the limit, not by the border
  for (const LiteralBlob& blob : blobs) {
    limited = limited || blob.maxX == blob.x + kMaxBlobRay || blob.minX == blob.x - kMaxBlobRay;
    EXPECT_LE(blob.maxX - blob.minX + 1, 2 * kMaxBlobRay + 1);
    EXPECT_GE(blob.minX, blob.x - kMaxBlobRay);
    EXPECT_LE(blob.maxX, blob.x + kMaxBlobRay);
  }
  EXPECT_TRUE(limited);
  EXPECT_EQ(Paint(photo, photo, p, true), literal);
}

TEST(BlobPainting, OnWhiteCanvasLeavesNoBareLastRowOrColumn) {
  const Bitmap24 photo = NoisySyntheticPhoto(120, 80);  // no white in it
  const Bitmap24 painted = Paint(photo, photo, {7, 170, 90, 0, 10}, true);
  // The blobs covered everything inside...
  for (int y = 0; y + 1 < painted.Height(); ++y) {
    for (int x = 0; x + 1 < painted.Width(); ++x) ASSERT_NE(painted.Pixel(x, y), 0xFFFFFFu) << x << "," << y;
  }
  // ...and the border they seldom reach is painted too.
  for (int y = 0; y < painted.Height(); ++y) EXPECT_NE(painted.Pixel(119, y), 0xFFFFFFu) << y;
  for (int x = 0; x < painted.Width(); ++x) EXPECT_NE(painted.Pixel(x, 79), 0xFFFFFFu) << x;
}

TEST(BlobPainting, TinyAndThinPicturesComeBackPaintedWithinBounds) {
  struct Size {
    int w, h;
  };
  for (const Size size : {Size{1, 1}, Size{2, 2}, Size{7, 1}, Size{1, 1000}, Size{3000, 2}}) {
    SCOPED_TRACE(testing::Message() << size.w << " x " << size.h);
    const Bitmap24 photo = NoisySyntheticPhoto(size.w, size.h);
    for (const LiteralCase& c : {LiteralCase{{1, 170, 90, 127, 10}, true}, LiteralCase{{0, 255, 100, 0, 100}, false}}) {
      const Bitmap24 painted = Paint(photo, photo, c.p, c.erase);
      ASSERT_EQ(painted.Width(), size.w);
      ASSERT_EQ(painted.Height(), size.h);
      EXPECT_EQ(painted, PaintLiterally(photo, photo, c.p, c.erase));
    }
  }
  EXPECT_TRUE(Paint(Bitmap24(), Bitmap24(), {7, 170, 90, 127, 10}, true).Empty());
}

TEST(BlobPainting, AbortKeepsTheBlobsSoFarWithoutLighteningOrContours) {
  const Bitmap24 photo = NoisySyntheticPhoto(70, 50);
  const BlobPaintingParameters p{3, 170, 90, 0, 200};
  // Pumps: one after the preparation, then one after every blob of round 0: the third pump comes
  // after the second blob.
  RunContext context;
  StopAtPump sink(context, 3);
  context.Progress = &sink;
  Bitmap24 painted = EarlierResult(photo);
  BlobPainting(photo, painted, p, SettingsFor(photo, false), SurfaceSettings{}, context);

  RunContext literalContext;
  Bitmap24 literal = EarlierResult(photo);
  LiteralBlobPainting(photo, literal, p, false, literalContext, 2);
  EXPECT_EQ(painted, literal);
  EXPECT_NE(painted, EarlierResult(photo));
}

}  // namespace
}  // namespace atelion
