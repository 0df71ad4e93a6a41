#include "styles/stylized/region_growing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <vector>

#include "core/filters.h"
#include "effects/run_pipeline.h"
#include "support/picture_checksum.h"
#include "support/synthetic_photos.h"

namespace atelion {

void PrintTo(const Bitmap24& picture, std::ostream* out);

namespace {

using testing_support::Fnv1a;
using testing_support::SyntheticPhoto;

// A small paper with a visible pattern, so that lookups at the wrong place show.
PaperTable TestPaper() {
  PaperTable paper;
  paper.values.resize(static_cast<std::size_t>(kPaperTableWidth) * kPaperTableHeight);
  std::int64_t total = 0;
  for (int y = 0; y < kPaperTableHeight; ++y) {
    for (int x = 0; x < kPaperTableWidth; ++x) {
      const int v = 100 + (x * 7 + y * 13) % 61 + ((x / 5 + y / 3) % 2) * 30;
      paper.values[static_cast<std::size_t>(y) * kPaperTableWidth + x] = static_cast<std::uint8_t>(v);
      total += v;
    }
  }
  paper.mean = static_cast<int>(total / 786432);
  return paper;
}

// ---- The painting done literally from the written rules: every loop in its written order ----

struct Px {
  int b, g, r;
};
Px Get(const Bitmap24& P, int x, int y) {
  const std::uint8_t* p = P.Row(y) + 3 * x;
  return {p[0], p[1], p[2]};
}
void Set(Bitmap24& P, int x, int y, Px v) {
  std::uint8_t* p = P.Row(y) + 3 * x;
  p[0] = static_cast<std::uint8_t>(v.b), p[1] = static_cast<std::uint8_t>(v.g), p[2] = static_cast<std::uint8_t>(v.r);
}
bool White(Px v) { return v.b == 255 && v.g == 255 && v.r == 255; }
bool Same(Px a, Px b) { return a.b == b.b && a.g == b.g && a.r == b.r; }
constexpr Px kMark{64, 100, 200};

Bitmap24 LiteralPainting(const Bitmap24& S, RegionKind kind, const RegionGrowingParameters& P,
                         const PaperTable& T, bool processing, std::uint32_t seed) {
  RunContext context;
  RandomGenerator& rng = context.Rng;
  rng.RandomSeed = seed;
  const int W = S.Width(), H = S.Height();
  const int ts = 2 * P.strokeIntensity, tm = T.mean;
  auto tex = [&](int i, int j) { return T.At(i % 1023, j % 767); };
  Bitmap24 M(W, H, 0xFFFFFF), D(W, H, 0xFFFFFF);
  std::int64_t painted = 0;
  const std::int64_t area = std::int64_t{W} * H;
  for (std::int64_t patch = 0; area >= 140 && patch <= (std::int64_t{W} + H) * 100; ++patch) {
    int x = 0, y = 0;
    bool ok = false;
    for (int t = 0; t < 151 && !ok; ++t) {
      x = rng.Random(W - 1);
      y = rng.Random(H - 1);
      const Px s = Get(S, x, y);
      ok = White(Get(D, x, y)) && (s.r < 250 || s.g < 250 || s.b < 250);
    }
    if (!ok) break;
    if (painted / (area / 140) > P.strength / 2) break;
    const Px sc = Get(S, x, y);
    const int kmax = std::max({x, W - x, y, H - y});
    int k = 1;
    for (; k <= kmax; ++k) {
      const int tol = std::max(P.simplification - k, P.simplification / 8) + 1 +
                      static_cast<int>(patch * (P.simplification + 1) / (processing ? 512 : 32));
      int R = 0;
      auto side = [&](std::vector<std::pair<int, int>> positions) {
        int run = 0, longest = 0;
        for (auto [qx, qy] : positions) {
          if (qx < 0 || qy < 0 || qx >= W || qy >= H || !White(Get(D, qx, qy))) continue;
          const Px s = Get(S, qx, qy);
          if (std::abs(s.r - sc.r) + std::abs(s.g - sc.g) + std::abs(s.b - sc.b) < tol) {
            Set(M, qx, qy, sc);
            longest = std::max(longest, ++run);
          } else {
            run = 0;
          }
        }
        return longest;
      };
      std::vector<std::pair<int, int>> top, bottom, left, right;
      for (int i = x - k; i <= x + k; ++i) top.push_back({i, y - k}), bottom.push_back({i, y + k});
      for (int j = y - k; j <= y + k; ++j) left.push_back({x - k, j}), right.push_back({x + k, j});
      if (y - k >= 0) R += side(top);
      if (y + k <= H - 1) R += side(bottom);
      if (x - k >= 0) R += side(left);
      if (x + k <= W - 1) R += side(right);
      if (k < 20 ? R < 4 : R < 11) break;
    }
    if (k <= 7) {
      for (int j = y - k - 1; j <= y + k; ++j) {
        for (int i = x - k - 1; i <= x + k; ++i) {
          if (i >= 0 && j >= 0 && i < W && j < H) Set(M, i, j, {255, 255, 255});
        }
      }
      continue;
    }
    Set(M, x, y, sc);
    // Flood fill, by repeated sweeps until nothing changes, inside the 2k × 2k block.
    if (!Same(sc, kMark)) {
      Set(M, x, y, kMark);
      for (bool changed = true; changed;) {
        changed = false;
        for (int j = std::max(y - k, 0); j <= std::min(y + k - 1, H - 1); ++j) {
          for (int i = std::max(x - k, 0); i <= std::min(x + k - 1, W - 1); ++i) {
            if (!Same(Get(M, i, j), sc)) continue;
            const bool touches = (i > std::max(x - k, 0) && Same(Get(M, i - 1, j), kMark)) ||
                                 (i < std::min(x + k - 1, W - 1) && Same(Get(M, i + 1, j), kMark)) ||
                                 (j > std::max(y - k, 0) && Same(Get(M, i, j - 1), kMark)) ||
                                 (j < std::min(y + k - 1, H - 1) && Same(Get(M, i, j + 1), kMark));
            if (touches) Set(M, i, j, kMark), changed = true;
          }
        }
      }
    }
    std::int64_t sr = 0, sg = 0, sb = 0, n = 1;
    int xmin = W - 1, xmax = 0, ymin = H - 1, ymax = 0;
    for (int i = std::max(x - k, 1); i <= std::min(W - 1, x + k); ++i) {
      for (int j = std::max(y - k, 0); j <= std::min(H - 1, y + k); ++j) {
        if (!Same(Get(M, i, j), kMark)) continue;
        const Px s = Get(S, i, j);
        sr += s.r, sg += s.g, sb += s.b, ++n;
        if (i < xmin) xmin = i; else if (i > xmax) xmax = i;
        if (j < ymin) ymin = j; else if (j > ymax) ymax = j;
      }
    }
    const int jitter = rng.Random(24) - 8;
    const Px m{std::clamp(static_cast<int>(sb / n) + jitter, 0, 255), std::clamp(static_cast<int>(sg / n) + jitter, 0, 255),
               std::clamp(static_cast<int>(sr / n) + jitter, 0, 255)};
    auto paint = [&](int i, int j) {
      const int delta = ((tm - tex(m.r + x + i, m.r + y + j)) * ts) / 255;
      Set(D, i, j, {std::min(std::max(m.b + delta, 0), 254), std::min(std::max(m.g + delta, 0), 254),
                    std::min(std::max(m.r + delta, 0), 254)});
    };
    for (int i = xmin; i <= xmax; ++i) {
      for (int j = ymin; j <= ymax - 1; ++j) {
        if (Same(Get(M, i, j), kMark)) paint(i, j), ++painted;
      }
    }
    for (int i = xmin + 2; i <= xmax - 2; ++i) {
      for (int j = ymin + 2; j <= ymax - 2; ++j) {
        if (!White(Get(M, i, j))) continue;
        int count = 0;
        for (int dy = -2; dy <= 2; ++dy) {
          for (int dx = -2; dx <= 2; ++dx) count += Get(M, i + dx, j + dy).g == 100;
        }
        if (count >= 8) paint(i, j);
      }
    }
    for (int j = std::max(y - k, 0); j <= std::min(H - 1, y + k + 1); ++j) {
      for (int i = 0; i < W; ++i) Set(M, i, j, {255, 255, 255});
    }
  }
  for (int x = 0; x < W; ++x) {
    for (int y = 0; y < H; ++y) {
      if (!White(Get(D, x, y))) continue;
      const Px s = Get(S, x, y);
      const int delta = ((tm - tex(x, y)) * ts) / 255;
      Set(D, x, y, {std::min(std::max(s.b + delta, 0), 254), std::min(std::max(s.g + delta, 0), 254),
                    std::min(std::max(s.r + delta, 0), 254)});
    }
  }
  for (int x = 0; x < W; ++x) {
    for (int y = 0; y < H; ++y) {
      Px d = Get(D, x, y);
      const int a = kind == RegionKind::Watercolor ? (d.r + d.g + d.b) >> 5 : 0;
      const int v = a + rng.Random(a >> 2);
      d = {std::clamp(d.b + v + P.darkenLighten - 127, 0, 255), std::clamp(d.g + v + P.darkenLighten - 127, 0, 255),
           std::clamp(d.r + v + P.darkenLighten - 127, 0, 255)};
      Set(D, x, y, d);
    }
  }
  for (int x = 0; x <= W - 2; ++x) {
    for (int y = 0; y <= H - 2; ++y) {
      const Px s = Get(S, x, y), r = Get(S, x + 1, y), b = Get(S, x, y + 1);
      const int g = (std::abs(s.r - r.r) + std::abs(s.r - b.r) + std::abs(s.g - r.g) + std::abs(s.g - b.g) +
                     std::abs(s.b - r.b) + std::abs(s.b - b.b)) / 4;
      const int e = std::min((g * (356 - (s.r + s.g + s.b) / 3)) / 256, 65);
      if (e < 5) continue;
      const Px d = Get(D, x, y);
      Set(D, x, y, {std::max(d.b - e, 0), std::max(d.g - e, 0), std::max(d.r - e, 0)});
    }
  }
  AdjustSaturation(D, (P.colourIntensity - 50) * 2, context);
  return D;
}

struct PaintingCase {
  const char* name;
  int width, height;
  RegionKind kind;
  RegionGrowingParameters parameters;
  bool processing;
};

TEST(RegionGrowingPainting, MatchesTheLiteralRules) {
  const PaperTable paper = TestPaper();
  const PaintingCase cases[] = {
      {"watercolour, full size", 90, 70, RegionKind::Watercolor, {200, 10, 60, 160, 70}, true},
      {"impasto, full size", 90, 70, RegionKind::Impasto, {200, 10, 60, 140, 50}, true},
      {"preview widening, loose tolerance", 80, 100, RegionKind::Watercolor, {255, 60, 20, 100, 255}, false},
      {"no patch share: leftover fill", 70, 50, RegionKind::Impasto, {0, 10, 90, 127, 0}, true},
      {"thin picture", 300, 3, RegionKind::Watercolor, {200, 30, 60, 160, 70}, true},
  };
  for (const PaintingCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Bitmap24 photo = SyntheticPhoto(c.width, c.height);
    RunContext context;
    context.Processing = c.processing;
    context.Rng.RandomSeed = 77;
    StyleSettings settings;
    Bitmap24 painted;
    RegionGrowingPainting(photo, painted, c.kind, c.parameters, paper, settings, context);
    const Bitmap24 expected = LiteralPainting(photo, c.kind, c.parameters, paper, c.processing, 77);
    EXPECT_EQ(painted, expected);
  }
}

TEST(RegionGrowingPainting, PatchesNeverPaintWhite) {
  // A white photograph with a pale grey disc: patches are painted at most 254.
  Bitmap24 photo(120, 90, 0xFFFFFF);
  for (int y = 20; y < 70; ++y) {
    for (int x = 30; x < 90; ++x) photo.SetPixel(x, y, MakeColour(249, 249, 249));
  }
  const PaperTable paper = TestPaper();
  RunContext context;
  context.Processing = true;
  context.Rng.RandomSeed = 5;
  Bitmap24 painted;
  // Neutral brightness and saturation, no texture: what the patches and the fill paint shows.
  RegionGrowingPainting(photo, painted, RegionKind::Impasto, {200, 10, 50, 127, 0}, paper, StyleSettings{}, context);
  int whiteInside = 0;
  for (int y = 20; y < 69; ++y) {
    for (int x = 30; x < 89; ++x) whiteInside += painted.Row(y)[3 * x] == 255 ? 1 : 0;
  }
  EXPECT_EQ(whiteInside, 0);
}

RunPictures PicturesOf(const Bitmap24& photo) {
  RunPictures pictures;
  pictures.source = photo;
  pictures.result = photo;
  return pictures;
}

TEST(ProcessRegionGrowing, PaintsTinyAndThinPicturesOfBothKinds) {
  const struct {
    int width, height;
  } sizes[] = {{1, 1}, {2, 2}, {7, 1}, {1, 1000}, {3000, 2}, {13, 10}, {14, 10}};
  for (const int effectId : {kPainting5EffectId, kPainting6EffectId}) {
    for (const auto& size : sizes) {
      SCOPED_TRACE(::testing::Message() << "style " << effectId << ", " << size.width << " x " << size.height);
      const Bitmap24 photo = SyntheticPhoto(size.width, size.height);
      RunPictures pictures = PicturesOf(photo);
      StyleSettings settings;
      settings.effectId = effectId;
      settings.sliders = FactoryDefaults(effectId);
      RunContext context;
      context.Rng.RandomSeed = 3;
      ASSERT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
      ASSERT_EQ(pictures.result.Width(), size.width);
      ASSERT_EQ(pictures.result.Height(), size.height);
      EXPECT_NE(pictures.result, Bitmap24(size.width, size.height, 0xFFFFFF));
    }
  }
}

TEST(ProcessRegionGrowing, RunsTheKindOfEachStyleWithTheShippedPaper) {
  const Bitmap24 photo = SyntheticPhoto(100, 80);
  for (const int effectId : {kPainting5EffectId, kPainting6EffectId}) {
    SCOPED_TRACE(effectId);
    RunPictures pictures = PicturesOf(photo);
    StyleSettings settings;
    settings.effectId = effectId;
    settings.sliders = FactoryDefaults(effectId);
    RunContext context;
    context.Rng.RandomSeed = 11;
    ASSERT_EQ(RunEffect(pictures, settings, FinishingSettings{}, context), RunOutcome::Finished);
    const RegionKind kind = effectId == kPainting5EffectId ? RegionKind::Watercolor : RegionKind::Impasto;
    const Bitmap24 expected = LiteralPainting(photo, kind, RegionGrowingParametersFrom(effectId, settings.sliders),
                                              PaperTableFor(kind), true, 11);
    EXPECT_EQ(pictures.result, expected);
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

TEST(RegionGrowingPainting, AnAbortKeepsThePatchesSoFarAndLeavesTheRestWhite) {
  const Bitmap24 photo = SyntheticPhoto(120, 90);
  const PaperTable paper = TestPaper();
  RunContext context;
  context.Processing = true;
  context.Rng.RandomSeed = 9;
  AbortAfterPumps sink(context, 40);
  context.Progress = &sink;
  Bitmap24 painted;
  RegionGrowingPainting(photo, painted, RegionKind::Watercolor, {}, paper, StyleSettings{}, context);
  int white = 0, coloured = 0;
  for (int y = 0; y < painted.Height(); ++y) {
    for (int x = 0; x < painted.Width(); ++x) {
      const std::uint8_t* p = painted.Row(y) + 3 * x;
      (p[0] == 255 && p[1] == 255 && p[2] == 255 ? white : coloured) += 1;
    }
  }
  EXPECT_GT(white, 0);
  EXPECT_GT(coloured, 0);
}

}  // namespace

void PrintTo(const Bitmap24& picture, std::ostream* out) {
  *out << picture.Width() << " x " << picture.Height() << " picture, checksum " << std::hex << Fnv1a(picture)
       << std::dec;
}

}  // namespace atelion
