// Paintings 5 and 6: patches of paint grown from random seeds. A patch grows ring by ring around
// its seed over unpainted pixels whose colour is within a tolerance of the seed's colour, and
// stops when a ring holds too few close pixels in a row; the grown pixels connected to the seed
// are painted in their mean colour, shifted a little at random and pressed with the paper
// texture. The tolerance widens with every patch, so the last patches are large and loose.
// Whatever stays unpainted takes the photograph's colour pressed with the paper; then grain
// (watercolour only), brightness, a darkening along the photograph's edges and saturation.
#include "styles/stylized/region_growing.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/filters.h"

namespace atelion {

namespace {

// The colour that marks a grown patch in the work picture: red 200, green 100, blue 64.
constexpr std::uint8_t kMarker[3] = {64, 100, 200};
constexpr int kSeedTries = 151;
// Below this many pixels the share of painted pixels has no unit to be counted in.
constexpr std::int64_t kLeastPatchArea = 140;
constexpr int kSmallPatch = 7;
constexpr int kHoleNeighbours = 8;
constexpr int kLeftoverTotal = 85;

inline bool IsWhite(const std::uint8_t* p) { return p[0] == 255 && p[1] == 255 && p[2] == 255; }
inline bool IsMarker(const std::uint8_t* p) { return p[0] == kMarker[0] && p[1] == kMarker[1] && p[2] == kMarker[2]; }
inline std::uint8_t PaintByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 254)); }

// The generator's step n times over, as one affine map of the seed.
struct Jump {
  std::uint32_t multiply = 1, add = 0;
  static Jump Steps(std::int64_t n) {
    Jump total, step{134775813u, 1u};
    while (n > 0) {
      if (n & 1) total = step.After(total);
      step = step.After(step);
      n >>= 1;
    }
    return total;
  }
  // This map applied after `first`.
  Jump After(const Jump& first) const { return {multiply * first.multiply, multiply * first.add + add}; }
  std::uint32_t operator()(std::uint32_t seed) const { return multiply * seed + add; }
};

class RegionPainter {
 public:
  RegionPainter(const Bitmap24& S, Bitmap24& D, const RegionGrowingParameters& p, const PaperTable& paper,
                bool preview, RunContext& context)
      : S_(S), D_(D), M_(S.Width(), S.Height(), 0xFFFFFF), p_(p), paper_(paper), context_(context), preview_(preview),
        W_(S.Width()), H_(S.Height()), ts_(2 * p.strokeIntensity) {}

  std::int64_t painted = 0;

  // Grows and paints one patch. False when no seed was found or enough is painted.
  enum class Step { Go, End, Aborted };
  Step Patch(std::int64_t patch, std::int64_t area) {
    RandomGenerator& rng = context_.Rng;
    int x = 0, y = 0;
    bool found = false;
    for (int tries = 0; tries < kSeedTries && !found; ++tries) {
      x = rng.Random(W_ - 1);
      y = rng.Random(H_ - 1);
      const std::uint8_t* s = S_.Row(y) + 3 * x;
      found = IsWhite(D_.Row(y) + 3 * x) && (s[0] < 250 || s[1] < 250 || s[2] < 250);
    }
    if (!found) return Step::End;
    if (painted / (area / kLeastPatchArea) > p_.strength / 2) return Step::End;

    const std::uint8_t* seed = S_.Row(y) + 3 * x;
    const std::uint8_t sc[3] = {seed[0], seed[1], seed[2]};
    const int kmax = std::max({x, W_ - x, y, H_ - y});
    const int widening = static_cast<int>(patch * (p_.simplification + 1) / (context_.Processing ? 512 : 32));
    int k = 1;
    for (; k <= kmax; ++k) {
      const int tol = std::max(p_.simplification - k, p_.simplification / 8) + 1 + widening;
      int runs = 0;
      if (y - k >= 0) runs += Side(x - k, y - k, 1, 0, 2 * k + 1, sc, tol);
      if (y + k <= H_ - 1) runs += Side(x - k, y + k, 1, 0, 2 * k + 1, sc, tol);
      if (x - k >= 0) runs += Side(x - k, y - k, 0, 1, 2 * k + 1, sc, tol);
      if (x + k <= W_ - 1) runs += Side(x + k, y - k, 0, 1, 2 * k + 1, sc, tol);
      if (k < 20 ? runs < 4 : runs < 11) break;
    }
    if (!preview_) (void)context_.CheckAbort();
    if (context_.AbortRequested) return Step::Aborted;
    return k <= kSmallPatch ? ClearBlock(x, y, k) : PaintPatch(x, y, k, sc);
  }

  void FillLeftovers() {
    for (int y = 0; y < H_; ++y) {
      const std::uint8_t* s = S_.Row(y);
      std::uint8_t* d = D_.Row(y);
      for (int x = 0; x < W_; ++x) {
        if (!IsWhite(d + 3 * x)) continue;
        const int delta = ((paper_.mean - paper_.Repeated(x, y)) * ts_) / 255;
        for (int ch = 0; ch < 3; ++ch) d[3 * x + ch] = PaintByte(s[3 * x + ch] + delta);
      }
    }
  }

  Step ClearBlock(int x, int y, int k) {
    // The block around the rings, both ends included: every mark a ring left lies inside it.
    const int x0 = std::max(x - k - 1, 0), x1 = std::min(x + k, W_ - 1);
    const int y0 = std::max(y - k - 1, 0), y1 = std::min(y + k, H_ - 1);
    for (int yy = y0; yy <= y1; ++yy) std::fill(M_.Row(yy) + 3 * x0, M_.Row(yy) + 3 * (x1 + 1), 255);
    return Step::Go;
  }

 private:
  // One side of a ring: `length` positions from (x, y) on in steps (dx, dy). Marks the close
  // unpainted pixels in M and gives the longest run of them.
  int Side(int x, int y, int dx, int dy, int length, const std::uint8_t* sc, int tol) {
    int run = 0, longest = 0;
    for (int t = 0; t < length; ++t, x += dx, y += dy) {
      if (x < 0 || y < 0 || x >= W_ || y >= H_) continue;
      if (!IsWhite(D_.Row(y) + 3 * x)) continue;
      const std::uint8_t* s = S_.Row(y) + 3 * x;
      if (std::abs(s[0] - sc[0]) + std::abs(s[1] - sc[1]) + std::abs(s[2] - sc[2]) < tol) {
        std::uint8_t* m = M_.Row(y) + 3 * x;
        m[0] = sc[0], m[1] = sc[1], m[2] = sc[2];
        longest = std::max(longest, ++run);
      } else {
        run = 0;
      }
    }
    return longest;
  }

  // The area of exactly the seed's colour connected to the seed, within the 2k × 2k block whose
  // centre pixel is the seed, takes the marker colour.
  void MarkConnected(int x, int y, int k, const std::uint8_t* sc) {
    std::uint8_t* start = M_.Row(y) + 3 * x;
    start[0] = sc[0], start[1] = sc[1], start[2] = sc[2];
    if (IsMarker(sc)) return;  // already the marker's colour
    const int x0 = std::max(x - k, 0), x1 = std::min(x + k - 1, W_ - 1);
    const int y0 = std::max(y - k, 0), y1 = std::min(y + k - 1, H_ - 1);
    auto matches = [&](int px, int py) {
      const std::uint8_t* m = M_.Row(py) + 3 * px;
      return m[0] == sc[0] && m[1] == sc[1] && m[2] == sc[2];
    };
    stack_.clear();
    stack_.push_back({x, y});
    while (!stack_.empty()) {
      const auto [px, py] = stack_.back();
      stack_.pop_back();
      if (!matches(px, py)) continue;
      std::uint8_t* m = M_.Row(py) + 3 * px;
      m[0] = kMarker[0], m[1] = kMarker[1], m[2] = kMarker[2];
      if (px > x0 && matches(px - 1, py)) stack_.push_back({px - 1, py});
      if (px < x1 && matches(px + 1, py)) stack_.push_back({px + 1, py});
      if (py > y0 && matches(px, py - 1)) stack_.push_back({px, py - 1});
      if (py < y1 && matches(px, py + 1)) stack_.push_back({px, py + 1});
    }
  }

  void PaintPixel(int xp, int yp, int x, int y, const int* m) {
    const int t = paper_.Repeated(m[2] + x + xp, m[2] + y + yp);
    const int delta = ((paper_.mean - t) * ts_) / 255;
    std::uint8_t* d = D_.Row(yp) + 3 * xp;
    for (int ch = 0; ch < 3; ++ch) d[ch] = PaintByte(m[ch] + delta);
  }

  Step PaintPatch(int x, int y, int k, const std::uint8_t* sc) {
    MarkConnected(x, y, k, sc);

    std::int64_t sum[3] = {0, 0, 0};
    std::int64_t n = 1;
    int xmin = W_ - 1, xmax = 0, ymin = H_ - 1, ymax = 0;
    const int cx0 = std::max(x - k, 1), cx1 = std::min(W_ - 1, x + k);
    const int ry0 = std::max(y - k, 0), ry1 = std::min(H_ - 1, y + k);
    for (int xp = cx0; xp <= cx1; ++xp) {
      for (int yp = ry0; yp <= ry1; ++yp) {
        if (!IsMarker(M_.Row(yp) + 3 * xp)) continue;
        const std::uint8_t* s = S_.Row(yp) + 3 * xp;
        for (int ch = 0; ch < 3; ++ch) sum[ch] += s[ch];
        ++n;
        if (xp < xmin) {
          xmin = xp;
        } else if (xp > xmax) {
          xmax = xp;
        }
        if (yp < ymin) {
          ymin = yp;
        } else if (yp > ymax) {
          ymax = yp;
        }
      }
    }
    const int shift = context_.Rng.Random(24) - 8;
    int m[3];
    for (int ch = 0; ch < 3; ++ch) m[ch] = std::clamp(static_cast<int>(sum[ch] / n) + shift, 0, 255);

    for (int xp = xmin; xp <= xmax; ++xp) {
      for (int yp = ymin; yp <= ymax - 1; ++yp) {
        if (!IsMarker(M_.Row(yp) + 3 * xp)) continue;
        PaintPixel(xp, yp, x, y, m);
        ++painted;
      }
    }
    for (int xp = xmin + 2; xp <= xmax - 2; ++xp) {
      for (int yp = ymin + 2; yp <= ymax - 2; ++yp) {
        if (!IsWhite(M_.Row(yp) + 3 * xp)) continue;
        int count = 0;
        for (int dy = -2; dy <= 2; ++dy) {
          const std::uint8_t* row = M_.Row(yp + dy);
          for (int dx = -2; dx <= 2; ++dx) count += row[3 * (xp + dx) + 1] == 100 ? 1 : 0;
        }
        if (count >= kHoleNeighbours) PaintPixel(xp, yp, x, y, m);
      }
    }
    for (int yy = std::max(y - k, 0); yy <= std::min(H_ - 1, y + k + 1); ++yy) {
      std::fill(M_.Row(yy), M_.Row(yy) + M_.RowBytes(), 255);
    }
    return Step::Go;
  }

  struct Point2 {
    int x, y;
  };

  const Bitmap24& S_;
  Bitmap24& D_;
  Bitmap24 M_;
  const RegionGrowingParameters& p_;
  const PaperTable& paper_;
  RunContext& context_;
  const bool preview_;
  const int W_, H_, ts_;
  std::vector<Point2> stack_;
};

// Grain and brightness, for every column (outer) and row (inner) as the generator's draws run:
// the pixels are visited row by row, each row's generator seed stepped on by a whole column's
// draws from one pixel to the next, which gives every pixel the draw of the column order.
void GrainAndBrightness(Bitmap24& D, RegionKind kind, int darkenLighten, RunContext& context) {
  const int W = D.Width(), H = D.Height();
  const std::uint32_t start = context.Rng.RandomSeed;
  const Jump column = Jump::Steps(H);
  const int offset = darkenLighten - 127;
  std::uint32_t rowSeed = start;
  for (int y = 0; y < H; ++y) {
    std::uint8_t* d = D.Row(y);
    std::uint32_t seed = rowSeed;
    for (int x = 0; x < W; ++x) {
      std::uint8_t* p = d + 3 * x;
      const int a = kind == RegionKind::Watercolor ? (p[0] + p[1] + p[2]) >> 5 : 0;
      RandomGenerator draw;
      draw.RandomSeed = seed;
      const int v = a + draw.Random(a >> 2) + offset;
      for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<std::uint8_t>(std::clamp(p[ch] + v, 0, 255));
      seed = column(seed);
    }
    rowSeed = rowSeed * 134775813u + 1u;
  }
  context.Rng.RandomSeed = Jump::Steps(static_cast<std::int64_t>(W) * H)(start);
}

void DarkenEdges(const Bitmap24& S, Bitmap24& D) {
  for (int y = 0; y + 1 < S.Height(); ++y) {
    const std::uint8_t* s = S.Row(y);
    const std::uint8_t* below = S.Row(y + 1);
    std::uint8_t* d = D.Row(y);
    for (int x = 0; x + 1 < S.Width(); ++x) {
      const std::uint8_t* p = s + 3 * x;
      int g = 0;
      for (int ch = 0; ch < 3; ++ch) g += std::abs(p[ch] - p[3 + ch]) + std::abs(p[ch] - below[3 * x + ch]);
      g /= 4;
      const int e = std::min((g * (356 - (p[0] + p[1] + p[2]) / 3)) / 256, 65);
      if (e < 5) continue;
      for (int ch = 0; ch < 3; ++ch) d[3 * x + ch] = static_cast<std::uint8_t>(std::max(d[3 * x + ch] - e, 0));
    }
  }
}

}  // namespace

const PaperTable& PaperTableFor(RegionKind kind) {
  return kind == RegionKind::Watercolor ? WatercolourPaperTable() : ImpastoPaperTable();
}

namespace {

RegionKind KindOf(int effectId) { return effectId == kPainting5EffectId ? RegionKind::Watercolor : RegionKind::Impasto; }

}  // namespace

RegionGrowingParameters RegionGrowingParametersFrom(int effectId, const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(effectId, slot, sliders[slot]); };
  return {.strength = slider(kSlotTrackBar1),
          .simplification = slider(kSlotTrackBar2),
          .colourIntensity = slider(kSlotTrackBar5),
          .darkenLighten = slider(kSlotTrackBar3),
          .strokeIntensity = slider(kSlotTrackBar4)};
}

void RegionGrowingPainting(const Bitmap24& source, Bitmap24& destination, RegionKind kind,
                           const RegionGrowingParameters& parameters, const PaperTable& paper,
                           const StyleSettings& settings, RunContext& context) {
  const int W = source.Width(), H = source.Height();
  destination = Bitmap24(W, H, 0xFFFFFF);
  context.ReportProgress(0, kLeftoverTotal, 1, 1);
  if (source.Empty()) return;
  {
    RegionPainter painter(source, destination, parameters, paper, settings.preview, context);
    const std::int64_t area = static_cast<std::int64_t>(W) * H;
    if (area >= kLeastPatchArea) {
      const std::int64_t attempts = (static_cast<std::int64_t>(W) + H) * 100;
      for (std::int64_t patch = 0; patch <= attempts; ++patch) {
        const RegionPainter::Step step = painter.Patch(patch, area);
        if (step == RegionPainter::Step::Aborted) return;
        if (step == RegionPainter::Step::End) break;
        if (patch % 33 == 0) {
          context.ReportProgress(static_cast<int>(painter.painted / (area / 100)), kLeftoverTotal, 1, 1);
        }
      }
    }
    painter.FillLeftovers();
  }
  context.ReportProgress(kLeftoverTotal, kLeftoverTotal, 1, 1);
  GrainAndBrightness(destination, kind, parameters.darkenLighten, context);
  DarkenEdges(source, destination);
  AdjustSaturation(destination, (parameters.colourIntensity - 50) * 2, context);
}

StyleOutput ProcessRegionGrowing(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                 const SurfaceSettings& surface, RunContext& context) {
  (void)surface;
  const RegionKind kind = KindOf(settings.effectId);
  RegionGrowingPainting(source, shown, kind, RegionGrowingParametersFrom(settings.effectId, settings.sliders),
                        PaperTableFor(kind), settings, context);
  return {.picture = std::move(shown), .sliders = settings.sliders};
}

StyleOutput PreviewRegionGrowing(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                 RunContext& context) {
  (void)surface;
  const RegionKind kind = KindOf(settings.effectId);
  StyleOutput output{.sliders = settings.sliders};
  RegionGrowingPainting(crop, output.picture, kind, RegionGrowingParametersFrom(settings.effectId, settings.sliders),
                        PaperTableFor(kind), settings, context);
  return output;
}

}  // namespace atelion
