#include "styles/sketch/cartoon_1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/filters.h"
#include "effects/run_pipeline.h"
#include "styles/sketch/pen_and_ink_sketch_1.h"
#include "support/picture_checksum.h"
#include "support/synthetic_photos.h"

namespace atelion {
namespace {

using testing_support::Fnv1a;
using testing_support::NoisySyntheticPhoto;
using testing_support::SyntheticPhoto;

CartoonParameters Factory() { return CartoonParametersFrom(FactoryDefaults(kCartoon1EffectId)); }

Bitmap24 Cartoon(const Bitmap24& photo, const CartoonParameters& p, std::uint32_t seed, RunContext& context) {
  StyleSettings settings;
  settings.effectId = kCartoon1EffectId;
  context.Rng.RandomSeed = seed;
  Bitmap24 drawing;
  Cartoonify(photo, drawing, p, settings, context);
  return drawing;
}

// ---- The cartoon written out step by step, plainly -------------------------------------------

struct Rgb {
  int r, g, b;
};
Rgb At(const Bitmap24& p, int x, int y) {
  const Colour c = p.Pixel(x, y);
  return {RedOf(c), GreenOf(c), BlueOf(c)};
}
void Put(Bitmap24& p, int x, int y, Rgb c) { p.SetPixel(x, y, MakeColour(c.r, c.g, c.b)); }
bool White(const Bitmap24& p, int x, int y) { return p.Pixel(x, y) == 0xFFFFFF; }

Bitmap24 LiteralCartoon(const Bitmap24& S, const CartoonParameters& p, RandomGenerator& rng, bool processing) {
  const int W = S.Width(), H = S.Height();
  const Colour marker = MakeColour(255, 127, 0);
  Bitmap24 M(W, H), D(W, H);
  long long painted = 0;
  const long long area = static_cast<long long>(W) * H;
  for (long long j = 0; j <= static_cast<long long>(W + H) * 100; ++j) {
    int x = 0, y = 0;
    bool found = false;
    for (int t = 0; t < 151; ++t) {
      x = rng.Random(W - 1);
      y = rng.Random(H - 1);
      const Rgb c = At(S, x, y);
      if (White(D, x, y) && (c.r < 250 || c.g < 250 || c.b < 250)) {
        found = true;
        break;
      }
    }
    if (!found) break;
    if (painted / std::max(area / 140, 1LL) > (p.strength >> 1)) break;
    const Rgb q = At(S, x, y);
    const int Lmax = std::max({x, W - x, y, H - y});
    int l = 1;
    while (l <= Lmax) {
      const long long tol = std::max(p.simplification >> 3, p.simplification - l) + 1 +
                            (((p.simplification + 1) * j) >> (processing ? 9 : 5));
      std::vector<std::vector<std::pair<int, int>>> sides;
      std::vector<std::pair<int, int>> side;
      if (y - l >= 0) {
        side.clear();
        for (int cx = x - l; cx <= x + l; ++cx) side.push_back({cx, y - l});
        sides.push_back(side);
      }
      if (y + l <= H - 1) {
        side.clear();
        for (int cx = x - l; cx <= x + l; ++cx) side.push_back({cx, y + l});
        sides.push_back(side);
      }
      if (x - l >= 0) {
        side.clear();
        for (int cy = y - l; cy <= y + l; ++cy) side.push_back({x - l, cy});
        sides.push_back(side);
      }
      if (x + l <= W - 1) {
        side.clear();
        for (int cy = y - l; cy <= y + l; ++cy) side.push_back({x + l, cy});
        sides.push_back(side);
      }
      int sum = 0;
      for (const auto& positions : sides) {
        int run = 0, longest = 0;
        for (const auto& [px, py] : positions) {
          if (px < 0 || px >= W || py < 0 || py >= H || !White(D, px, py)) continue;
          const Rgb c = At(S, px, py);
          if (std::abs(c.r - q.r) + std::abs(c.g - q.g) + std::abs(c.b - q.b) < tol) {
            Put(M, px, py, q);
            longest = std::max(longest, ++run);
          } else {
            run = 0;
          }
        }
        sum += longest;
      }
      if ((l < 20 && sum <= 3) || (l >= 20 && sum <= 10)) break;
      ++l;
    }
    if (l < 4) continue;
    Put(M, x, y, q);
    // Flood fill, one pixel at a time.
    const Colour start = M.Pixel(x, y);
    if (start != marker) {
      std::vector<std::pair<int, int>> stack{{x, y}};
      while (!stack.empty()) {
        const auto [px, py] = stack.back();
        stack.pop_back();
        if (px < 0 || px >= W || py < 0 || py >= H || M.Pixel(px, py) != start) continue;
        M.SetPixel(px, py, marker);
        stack.push_back({px + 1, py});
        stack.push_back({px - 1, py});
        stack.push_back({px, py + 1});
        stack.push_back({px, py - 1});
      }
    }
    long long sr = 0, sg = 0, sb = 0, n = 0;
    int bx0 = W, bx1 = -1, by0 = H, by1 = -1;
    for (int py = std::max(0, y - l); py <= std::min(H - 1, y + l); ++py) {
      for (int px = std::max(0, x - l); px <= std::min(W - 1, x + l); ++px) {
        if (M.Pixel(px, py) != marker) continue;
        const Rgb c = At(S, px, py);
        sr += c.r, sg += c.g, sb += c.b, ++n;
        bx0 = std::min(bx0, px), bx1 = std::max(bx1, px), by0 = std::min(by0, py), by1 = std::max(by1, py);
      }
    }
    const Rgb m{static_cast<int>(std::min(sr / (n + 1), 254LL)), static_cast<int>(std::min(sg / (n + 1), 254LL)),
                static_cast<int>(std::min(sb / (n + 1), 254LL))};
    for (int py = by0; py <= by1; ++py)
      for (int px = bx0; px <= bx1; ++px)
        if (M.Pixel(px, py) == marker) Put(D, px, py, m), ++painted;
    for (int py = by0 + 2; py <= by1 - 2; ++py) {
      for (int px = bx0 + 2; px <= bx1 - 2; ++px) {
        if (!White(D, px, py)) continue;
        int count = 0;
        for (int dy = -2; dy <= 2; ++dy)
          for (int dx = -2; dx <= 2; ++dx) count += GreenOf(M.Pixel(px + dx, py + dy)) == 127;
        if (count >= 8) Put(D, px, py, m);
      }
    }
    for (int py = std::max(0, y - l - 1); py <= std::min(H - 1, y + l); ++py)
      for (int px = std::max(0, x - l - 1); px <= std::min(W - 1, x + l); ++px) M.SetPixel(px, py, 0xFFFFFF);
  }
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const Rgb c = At(D, x, y);
      Put(D, x, y, {std::min(255, 12 * (c.r / 11)), std::min(255, 12 * (c.g / 11)), std::min(255, 12 * (c.b / 11))});
    }
  for (int pass = 0; pass <= 35; ++pass) {
    const int o = pass % 2;
    for (int r = 0; r <= (H >> 1) - 2; ++r) {
      for (int qc = 0; qc <= (W >> 1) - 2; ++qc) {
        const int x0 = 2 * qc + o, y0 = 2 * r + o;
        const Rgb tl = At(D, x0, y0);
        const std::pair<int, int> others[3] = {{x0 + 1, y0}, {x0, y0 + 1}, {x0 + 1, y0 + 1}};
        const int th = (tl.r + tl.g + tl.b) / 30 + 15;
        int sumR = tl.r, sumG = tl.g, sumB = tl.b, n = 1;
        bool marked[3] = {};
        for (int i = 0; i < 3; ++i) {
          const Rgb c = At(D, others[i].first, others[i].second);
          const int d = std::max({2 * std::abs(c.r - tl.r), std::abs(c.g - tl.g), std::abs(c.b - tl.b)});
          if (d < th) sumR += c.r, sumG += c.g, sumB += c.b, ++n, marked[i] = true;
        }
        if (n < 2) continue;
        auto mean = [n](int sum) { return std::min(255, sum / n + (sum % n > (n >> 1) ? 1 : 0)); };
        const Rgb v{mean(sumR), mean(sumG), mean(sumB)};
        Put(D, x0, y0, v);
        for (int i = 0; i < 3; ++i)
          if (marked[i]) Put(D, others[i].first, others[i].second, v);
      }
    }
  }
  const int b = 2 * (p.darkenLighten - 50);
  auto bright = [b](int v) { return std::clamp(b > 0 ? v + (b * (255 - v)) / 100 : v + (b * v) / 100, 0, 255); };
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const Rgb c = At(D, x, y);
      Put(D, x, y, {bright(c.r), bright(c.g), bright(c.b)});
    }
  M = S;
  for (int y = 1; y <= H - 2; ++y)
    for (int x = 1; x <= W - 2; ++x) {
      int sr2 = 0, sg2 = 0, sb2 = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const Rgb c = At(M, x + dx, y + dy);
          sr2 += c.r, sg2 += c.g, sb2 += c.b;
        }
      Put(M, x, y, {sr2 / 9, sg2 / 9, sb2 / 9});
    }
  for (int x = 1; x <= W - 2; ++x)
    for (int y = 1; y <= H - 2; ++y) {
      const Rgb u = At(M, x, y - 1), dn = At(M, x, y + 1), lf = At(M, x - 1, y), rt = At(M, x + 1, y);
      const int g = std::abs(u.r - dn.r) + std::abs(lf.r - rt.r) + std::abs(u.g - dn.g) + std::abs(lf.g - rt.g) +
                    std::abs(u.b - dn.b) + std::abs(lf.b - rt.b);
      const int e = std::clamp(g / 3, 0, 255);
      if (e > 255 - p.edgeIntensity) {
        const Rgb c = At(D, x, y);
        Put(D, x, y, {std::clamp(c.r - 2 * e + 1, 0, 255), std::clamp(c.g - 2 * e + 1, 0, 255),
                      std::clamp(c.b - 2 * e + 1, 0, 255)});
      }
    }
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (White(D, x, y)) {
        const Rgb c = At(S, x, y);
        Put(D, x, y, {std::min(c.r, 254), std::min(c.g, 254), std::min(c.b, 254)});
      }
  RunContext quiet;
  BlockContrast(D, 50, quiet, false);
  AdjustSaturation(D, (100 * (p.colourIntensity - 127)) / 127, quiet);
  return D;
}

TEST(Cartoonify, MatchesTheStepByStepRule) {
  struct Case {
    int width, height;
    CartoonParameters p;
    bool processing;
  };
  const Case cases[] = {
      {70, 52, Factory(), false},
      {70, 52, Factory(), true},
      {41, 63, {40, 140, 20, 255, 200}, false},
      {33, 29, {0, 30, 80, 100, 60}, true},
      {12, 11, {255, 255, 50, 220, 127}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << " St " << c.p.strength << " processing "
                                      << c.processing);
    const Bitmap24 photo = NoisySyntheticPhoto(c.width, c.height, 5);
    RandomGenerator rng;
    rng.RandomSeed = 4242;
    const Bitmap24 literal = LiteralCartoon(photo, c.p, rng, c.processing);
    RunContext context;
    context.Processing = c.processing;
    const Bitmap24 real = Cartoon(photo, c.p, 4242, context);
    EXPECT_EQ(Fnv1a(real), Fnv1a(literal));
    EXPECT_EQ(context.Rng.RandomSeed, rng.RandomSeed);
  }
}

// Pictures under 140 pixels once divided by zero in the coverage limit (and under 100 in the
// progress): they are drawn like any other, through the whole pipeline.
TEST(ProcessCartoonify, DrawsTinyPictures) {
  const int sizes[][2] = {{1, 1}, {2, 2}, {7, 1}, {1, 7}, {10, 13}, {9, 11}, {1, 1000}, {3000, 2}, {4, 4}};
  for (const auto& [width, height] : sizes) {
    SCOPED_TRACE(::testing::Message() << width << " x " << height);
    const Bitmap24 photo = NoisySyntheticPhoto(width, height);
    RunPictures pictures;
    pictures.source = photo;
    pictures.result = photo;
    StyleSettings settings;
    settings.effectId = kCartoon1EffectId;
    settings.sliders = FactoryDefaults(kCartoon1EffectId);
    RunContext context;
    context.Rng.RandomSeed = 7;
    EXPECT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
    ASSERT_EQ(pictures.result.Width(), width);
    ASSERT_EQ(pictures.result.Height(), height);
  }
}

TEST(Cartoonify, DrawsFromTheRunningGeneratorWithoutSeedingIt) {
  const Bitmap24 photo = NoisySyntheticPhoto(90, 70);
  RunContext first, again, other;
  const Bitmap24 a = Cartoon(photo, Factory(), 11, first);
  const Bitmap24 b = Cartoon(photo, Factory(), 11, again);
  const Bitmap24 c = Cartoon(photo, Factory(), 12, other);
  EXPECT_EQ(Fnv1a(a), Fnv1a(b));
  EXPECT_NE(Fnv1a(a), Fnv1a(c));
  EXPECT_EQ(first.Rng.RandomSeed, again.Rng.RandomSeed);
  EXPECT_NE(first.Rng.RandomSeed, 11u);
}

// Flat regions: the cartoon has far fewer colours than the grainy photograph it comes from.
TEST(Cartoonify, FlattensTheGrainIntoFewColours) {
  const Bitmap24 photo = NoisySyntheticPhoto(120, 90);
  CartoonParameters p = Factory();
  p.edgeIntensity = 0;  // no ink lines
  RunContext context;
  const Bitmap24 drawing = Cartoon(photo, p, 3, context);
  auto colours = [](const Bitmap24& picture) {
    std::vector<Colour> all;
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x) all.push_back(picture.Pixel(x, y));
    std::sort(all.begin(), all.end());
    return std::unique(all.begin(), all.end()) - all.begin();
  };
  EXPECT_LT(colours(drawing) * 4, colours(photo));
}

// The ink rule on a sharp vertical edge: no ink with Ei = 0, dark ink with Ei = 255; the outermost
// rows and columns never get ink.
TEST(Cartoonify, InkLinesFollowTheEdgeIntensity) {
  Bitmap24 photo(60, 40, MakeColour(230, 220, 60));
  for (int y = 0; y < 40; ++y)
    for (int x = 30; x < 60; ++x) photo.SetPixel(x, y, MakeColour(20, 40, 160));
  CartoonParameters p = Factory();
  p.edgeIntensity = 0;
  RunContext plainContext, inkedContext;
  const Bitmap24 plain = Cartoon(photo, p, 5, plainContext);
  p.edgeIntensity = 255;
  const Bitmap24 inked = Cartoon(photo, p, 5, inkedContext);
  for (int y = 5; y < 35; ++y) {
    for (int x : {29, 30}) {
      const Colour c = inked.Pixel(x, y);
      EXPECT_LT(RedOf(c) + GreenOf(c) + BlueOf(c), 60) << x << ", " << y;
    }
    // Far from the edge both runs nearly agree: Ei = 255 inks gradients of 1 by 1, which the
    // in-place smoothing spreads from the edge down and to the left, and the block contrast's
    // pivot follows the darkened blocks along the row.
    const Colour a = inked.Pixel(10, y), b = plain.Pixel(10, y);
    EXPECT_NEAR(RedOf(a), RedOf(b), 4);
    EXPECT_NEAR(GreenOf(a), GreenOf(b), 4);
    EXPECT_NEAR(BlueOf(a), BlueOf(b), 4);
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

TEST(Cartoonify, AStopDuringTheRegionsKeepsThePaintedRegionsAndLeavesTheRestWhite) {
  const Bitmap24 photo = NoisySyntheticPhoto(100, 80);
  RunContext context;
  AbortAfterPumps sink(context, 6);
  context.Progress = &sink;
  const Bitmap24 stopped = Cartoon(photo, Factory(), 9, context);
  int white = 0, painted = 0;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 100; ++x) {
      const Colour c = stopped.Pixel(x, y);
      if (c == 0xFFFFFF) {
        ++white;
      } else {
        ++painted;
        // Region colours are limited to 254 and not yet posterized or inked.
        EXPECT_LE(std::max({RedOf(c), GreenOf(c), BlueOf(c)}), 254);
      }
    }
  }
  EXPECT_GT(white, 0);
  EXPECT_GT(painted, 0);
}

}  // namespace
}  // namespace atelion
