// Painting 10: a level counter runs from about 1800 down to four times the minimum brush size.
// At even levels, points are drawn (on white canvas while the levels are high), the edge there is
// measured with a 3-10-3 gradient, and a stroke is dragged across the edge direction with the
// shaded brush. Each dab mixes the stroke's colour with a lighter copy by the brush's alpha and is
// laid as strongly as it agrees with the photograph under it; many disagreeing pixels end the
// stroke, so strokes stop at edges.
#include "styles/painting/painting_10.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/filters.h"
#include "styles/painting/shaded_brush.h"

namespace atelion {

namespace {

constexpr std::uint32_t kShadedBrushSeed = 69006;
constexpr int kFirstLevel = 1800;
constexpr int kLargeStrokeLevel = 1700;   // from here up: large strokes everywhere, no edge gate
constexpr int kWhiteSearchLevel = 1500;   // from here up: points are searched on white canvas
constexpr int kAttemptRampLevel = 1570;   // from here down the attempt factor grows
constexpr int kWhiteSearchLimit = 250;
constexpr int kLeastAlpha = 15;
constexpr int kLeastStrength = 5;
constexpr int kDisagreement = 500;        // a dab pixel this far from the photograph counts against the stroke

// The brush in use after the strength of effect has scaled its alpha.
struct Brush {
  Bitmap32 picture;
  int width = 0, height = 0;
};

// The state of the stroke loop kept from one stroke to the next.
struct StrokeState {
  int len = 0, wid = 0;
};

// The gradient at (x, y), x and y inside the picture's inner part.
struct Edge {
  int gx = 0, gy = 0, mag = 0;
};

Edge EdgeAt(const Bitmap24& S, int x, int y) {
  const std::uint8_t* up = S.Row(y - 1);
  const std::uint8_t* mid = S.Row(y);
  const std::uint8_t* down = S.Row(y + 1);
  int bestX = 0, bestY = 0;
  for (int c = 0; c < 3; ++c) {
    const int l = 3 * (x - 1) + c, m = 3 * x + c, r = 3 * (x + 1) + c;
    const int gy = 3 * up[l] + 10 * up[m] + 3 * up[r] - 3 * down[l] - 10 * down[m] - 3 * down[r];
    const int gx = 3 * up[l] + 10 * mid[l] + 3 * down[l] - 3 * up[r] - 10 * mid[r] - 3 * down[r];
    if (c == 0 || gx > bestX) bestX = gx;
    if (c == 0 || gy > bestY) bestY = gy;
  }
  return {bestX, bestY, std::abs(bestX) + std::abs(bestY)};
}

// The three passes over one run of a stamp, built for wide vector units too (the processor's
// own kind is picked when the program starts); every one gives the same bytes.

// E[i] := the disagreement of dab pixel i (mixed colour M) with the photograph's pixel under it
// (planes s0, s1, s2); gives how many reach the disagreement threshold.
[[gnu::target_clones("avx2", "default")]] int FindDisagreement(int count, const std::uint8_t* s0,
                                                              const std::uint8_t* s1, const std::uint8_t* s2,
                                                              const std::int16_t* M0, const std::int16_t* M1,
                                                              const std::int16_t* M2, std::int16_t* E) {
  int disagreeing = 0;
  for (int i = 0; i < count; ++i) {
    const int e = std::abs(s0[i] - M0[i]) + std::abs(s1[i] - M1[i]) + std::abs(s2[i] - M2[i]) + 1;
    E[i] = static_cast<std::int16_t>(e);
    disagreeing += e >= kDisagreement ? 1 : 0;
  }
  return disagreeing;
}

// What a dab pixel's strength loses for its disagreement E (1 … 766) with the photograph: in
// tight strokes 10·E div 22; in small strokes 10·E div 18; otherwise 10·E div 18 for E up to the
// tolerance K and 10·E div 12 above it.
enum class Tolerance { Tight, Small, Usual };

// f[i] := the starting strength less what the disagreement costs, within 0 … 255.
[[gnu::target_clones("avx2", "default")]] void FindStrength(int count, const std::int16_t* start,
                                                           const std::int16_t* E, Tolerance tolerance, int K,
                                                           std::int16_t* f) {
  // 10·E stays below 2^16, so the divisions work on 16-bit lanes.
  auto strength = [](int s, unsigned loss) { return static_cast<std::int16_t>(std::clamp(s - static_cast<int>(loss), 0, 255)); };
  switch (tolerance) {
    case Tolerance::Tight:
      for (int i = 0; i < count; ++i) f[i] = strength(start[i], static_cast<std::uint16_t>(10 * E[i]) / 22u);
      break;
    case Tolerance::Small:
      for (int i = 0; i < count; ++i) f[i] = strength(start[i], static_cast<std::uint16_t>(10 * E[i]) / 18u);
      break;
    case Tolerance::Usual:
      for (int i = 0; i < count; ++i) {
        const std::uint16_t tenE = static_cast<std::uint16_t>(10 * E[i]);
        const unsigned loss = E[i] < K + 1 ? tenE / 18u : tenE / 12u;
        f[i] = strength(start[i], loss);
      }
      break;
  }
}

// Lays the run on the painting d (three bytes a pixel): where the strength f is at least 5, each
// channel becomes ((256 − f)·d + (f·paint shr 8)) shr 8, paint the shade times the mixed colour.
[[gnu::target_clones("avx2", "default")]] void PaintRun(int count, const std::int16_t* f, const std::uint16_t* paint0,
                                                       const std::uint16_t* paint1, const std::uint16_t* paint2,
                                                       std::uint8_t* d) {
  for (int i = 0; i < count; ++i) {
    const unsigned fi = static_cast<std::uint16_t>(f[i]);
    const unsigned keep = 256 - fi;
    const unsigned v0 = d[3 * i], v1 = d[3 * i + 1], v2 = d[3 * i + 2];
    const unsigned n0 = (keep * v0 + ((fi * paint0[i]) >> 8)) >> 8;
    const unsigned n1 = (keep * v1 + ((fi * paint1[i]) >> 8)) >> 8;
    const unsigned n2 = (keep * v2 + ((fi * paint2[i]) >> 8)) >> 8;
    // Without a branch, so that whole runs go through the vector unit.
    const unsigned on = f[i] >= kLeastStrength ? 0xFFu : 0u;
    d[3 * i] = static_cast<std::uint8_t>((n0 & on) | (v0 & ~on));
    d[3 * i + 1] = static_cast<std::uint8_t>((n1 & on) | (v1 & ~on));
    d[3 * i + 2] = static_cast<std::uint8_t>((n2 & on) | (v2 & ~on));
  }
}

inline int FloorToInt(double v) { return static_cast<int>(std::floor(v)); }

class ShadedBrushPainter {
 public:
  ShadedBrushPainter(const Bitmap24& S, Bitmap24& D, const Brush& brush, const ShadedBrushParameters& p,
                     const ShadedBrushOptions& options, int K, RunContext& context)
      : S_(S), D_(D), brush_(brush), p_(p), options_(options), K_(K), context_(context), W_(S.Width()),
        H_(S.Height()) {
    const std::size_t size = static_cast<std::size_t>(W_) * static_cast<std::size_t>(H_);
    for (int ch = 0; ch < 3; ++ch) plane_[ch].resize(size);
    for (int y = 0; y < H_; ++y) {
      const std::uint8_t* row = S_.Row(y);
      const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(W_);
      for (int x = 0; x < W_; ++x) {
        plane_[0][at + x] = row[3 * x];
        plane_[1][at + x] = row[3 * x + 1];
        plane_[2][at + x] = row[3 * x + 2];
      }
    }
  }

  // One stroke from (x, y) at level z; true when it ended because too many of its pixels
  // disagreed with the photograph.
  bool Stroke(int x, int y, const Edge& edge, int z, StrokeState& state) {
    const int Q = (edge.mag >> 7) + 1;
    const int v = std::min(context_.Random(std::max(0, (state.wid + state.len) / 6 - Q / 4)) + 1, 5);
    const std::uint8_t* c = S_.Row(y) + 3 * x;
    const int C[3] = {c[0], c[1], c[2]};
    const int Lc[3] = {std::min(255, 2 * C[0]), std::min(255, 2 * C[1]), std::min(255, 2 * C[2])};
    double o;
    if (Q > 1) {
      o = static_cast<double>(std::atan2(static_cast<float>(edge.gy), static_cast<float>(edge.gx))) + 1.5707;
    } else {
      o = context_.Random(628) / 100.0;
    }
    int len = context_.Random(Q / 2 + z / 80) + 2;
    int wid = context_.Random(z / 65) + 1;
    const int Bw = brush_.width, Bh = brush_.height;
    if (z >= kLargeStrokeLevel) {
      len = std::max(20, std::min(Bw, (len * 180) / 100));
      wid = std::max(20, std::min(Bh, (wid * 220) / 100));
    }
    if (options_.doubled) {
      const int factor = options_.preview ? 2 : 3;
      len *= factor;
      wid *= factor;
    }
    state.len = len;
    state.wid = wid;
    const double co = std::cos(o), si = std::sin(o);
    int x0 = x - FloorToInt(co * len), y0 = y - FloorToInt(si * len);
    if (!options_.preview) {
      x0 = std::clamp(x0, 0, W_ - 1);
      y0 = std::clamp(y0, 0, H_ - 1);
    }
    const int x1 = x + FloorToInt(co * len), y1 = y + FloorToInt(si * len);
    wid = std::min(wid, Bh - 1);
    state.wid = wid;
    const int rx = std::min(Bw / 2, wid * 143 / 100), ry = std::min(Bh / 2, wid * 143 / 100);
    std::int64_t cnt = 0;
    const std::int64_t area = static_cast<std::int64_t>(wid) * len;
    const std::int64_t limit = z <= kLargeStrokeLevel ? area : 3 * area;
    const std::int64_t dx = x1 - x0, dy = y1 - y0;
    const int N = static_cast<int>(std::floor(std::sqrt(static_cast<double>(dy * dy + dx * dx))));
    const std::int64_t wid2 = static_cast<std::int64_t>(wid) * wid;
    const bool tight = z <= K_ + 4 * p_.minimumSize + 50 && wid <= 25 && len <= 25 && Q >= 10;
    const bool small = wid < 5 && len < 5 && Q > 16;
    // What a dab pixel's strength loses for its disagreement E with the photograph.
    const Tolerance tolerance = tight ? Tolerance::Tight : small ? Tolerance::Small : Tolerance::Usual;
    // The dab is the same at every point of the stroke: its pixels (inside the radius, alpha at
    // least 15), their mixed colour and starting strength are found once, row by row, as runs of
    // neighbouring pixels kept in separate arrays so that a stamp works through whole runs.
    dab_.Clear();
    rowStart_.assign(static_cast<std::size_t>(2 * ry) + 1, 0);
    for (int dyy = -ry; dyy < ry; ++dyy) {
      rowStart_[static_cast<std::size_t>(dyy + ry)] = static_cast<int>(dab_.runs.size());
      const std::uint8_t* brushRow = brush_.picture.Row(Bh / 2 + dyy);
      bool open = false;
      for (int dxx = -rx; dxx < rx; ++dxx) {
        const std::uint8_t* b = brushRow + 4 * (Bw / 2 + dxx);
        const int A = b[3];
        if (static_cast<std::int64_t>(dxx) * dxx + static_cast<std::int64_t>(dyy) * dyy > wid2 || A < kLeastAlpha) {
          open = false;
          continue;
        }
        if (!open) {
          dab_.runs.push_back({.dx = dxx, .first = static_cast<int>(dab_.f.size()), .length = 0});
          open = true;
        }
        ++dab_.runs.back().length;
        dab_.f.push_back(static_cast<std::int16_t>(z > kLargeStrokeLevel ? (10 * A) / 15 : A / v));
        for (int ch = 0; ch < 3; ++ch) {
          const int M = (C[ch] * A + Lc[ch] * (256 - A)) >> 8;
          dab_.M[ch].push_back(static_cast<std::int16_t>(M));
          dab_.paint[ch].push_back(static_cast<std::uint16_t>((255 - b[2]) * M));
        }
      }
    }
    if (ry > 0) rowStart_[static_cast<std::size_t>(2 * ry)] = static_cast<int>(dab_.runs.size());
    const bool stopInRow = z < kLargeStrokeLevel;
    for (int t = 1; t <= N; ++t) {
      const int cx = static_cast<int>((static_cast<std::int64_t>(x1) * t + static_cast<std::int64_t>(N - t) * x0) / N);
      const int cy = static_cast<int>((static_cast<std::int64_t>(y1) * t + static_cast<std::int64_t>(N - t) * y0) / N);
      const int yFirst = std::max(0, cy - ry), yLast = std::min(H_ - 1, cy + ry - 1);
      for (int yy = yFirst; yy <= yLast; ++yy) {
        const std::size_t row = static_cast<std::size_t>(yy - cy + ry);
        const std::size_t planeRow = static_cast<std::size_t>(yy) * static_cast<std::size_t>(W_);
        std::uint8_t* dRow = D_.Row(yy);
        for (int r = rowStart_[row]; r < rowStart_[row + 1]; ++r) {
          const DabRun& run = dab_.runs[static_cast<std::size_t>(r)];
          // The part of the run inside the picture.
          const int skip = std::max(0, -(cx + run.dx));
          const int length = std::min(run.length, W_ - (cx + run.dx));
          if (skip >= length) continue;
          if (StampRun(run.first + skip, length - skip, cx + run.dx + skip, planeRow, dRow, tolerance, stopInRow,
                       limit, cnt)) {
            return true;
          }
        }
        if (cnt > limit) return true;
      }
      if (cnt > limit) return true;
    }
    return false;
  }

 private:
  const Bitmap24& S_;
  Bitmap24& D_;
  const Brush& brush_;
  const ShadedBrushParameters& p_;
  const ShadedBrushOptions& options_;
  const int K_;
  RunContext& context_;
  const int W_, H_;
  // The dab's pixels, run by run: the strength before the tolerance, the mixed colour and the
  // paint it lays, each in an array of its own.
  struct DabRun {
    int dx = 0;      // column offset of the run's first pixel
    int first = 0;   // its index in the arrays
    int length = 0;
  };
  struct Dab {
    std::vector<DabRun> runs;
    std::vector<std::int16_t> f, M[3];
    std::vector<std::uint16_t> paint[3];  // (255 − the brush's red) · M
    void Clear() {
      runs.clear();
      f.clear();
      for (auto& m : M) m.clear();
      for (auto& q : paint) q.clear();
    }
  };
  // One run of `count` dab pixels from index `first`, laid from picture column x of row
  // `planeRow`. Each pixel's disagreement E with the photograph and its strength are found for the
  // whole run first; then the pixels strong enough are painted, in order. With `stopInRow` the
  // stroke ends at the pixel whose disagreement makes the count pass the limit, before painting
  // it; true then.
  bool StampRun(int first, int count, int x, std::size_t planeRow, std::uint8_t* dRow, Tolerance tolerance,
                bool stopInRow, std::int64_t limit, std::int64_t& cnt) {
    if (E_.size() < static_cast<std::size_t>(count)) {
      E_.resize(static_cast<std::size_t>(count));
      strength_.resize(static_cast<std::size_t>(count));
    }
    const std::uint8_t* s0 = plane_[0].data() + planeRow + x;
    const std::uint8_t* s1 = plane_[1].data() + planeRow + x;
    const std::uint8_t* s2 = plane_[2].data() + planeRow + x;
    const std::int16_t* M0 = dab_.M[0].data() + first;
    const std::int16_t* M1 = dab_.M[1].data() + first;
    const std::int16_t* M2 = dab_.M[2].data() + first;
    std::int16_t* E = E_.data();
    const int disagreeing = FindDisagreement(count, s0, s1, s2, M0, M1, M2, E);
    int paintable = count;
    bool stop = false;
    if (stopInRow && cnt + disagreeing > limit) {
      // The pixel whose disagreement passes the limit and everything after it stay unpainted.
      std::int64_t seen = cnt;
      for (int i = 0; i < count; ++i) {
        if (E[i] >= kDisagreement && ++seen > limit) {
          paintable = i;
          break;
        }
      }
      stop = true;
    }
    cnt += disagreeing;
    std::int16_t* f = strength_.data();
    FindStrength(paintable, dab_.f.data() + first, E, tolerance, K_, f);
    PaintRun(paintable, f, dab_.paint[0].data() + first, dab_.paint[1].data() + first, dab_.paint[2].data() + first,
             dRow + 3 * x);
    return stop;
  }
  Dab dab_;
  std::vector<std::int16_t> E_, strength_;
  // The photograph split into one plane per channel, read by the stamps.
  std::vector<std::uint8_t> plane_[3];
  std::vector<int> rowStart_;
};

bool IsWhite(const Bitmap24& D, int x, int y) {
  const std::uint8_t* p = D.Row(y) + 3 * x;
  return p[0] == 255 && p[1] == 255 && p[2] == 255;
}

}  // namespace

ShadedBrushParameters ShadedBrushParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kPainting10EffectId, slot, sliders[slot]); };
  return {slider(kSlotTrackBar1), slider(kSlotTrackBar2), slider(kSlotTrackBar5), slider(kSlotTrackBar3),
          slider(kSlotTrackBar4)};
}

bool ShadedBrushPainting(Bitmap24& S, Bitmap24& D, const ShadedBrushParameters& parameters,
                         const ShadedBrushOptions& options, RunContext& context) {
  ShadedBrushParameters p = parameters;
  p.minimumSize = std::clamp(p.minimumSize, 0, 255);
  p.iterations = std::clamp(p.iterations, 0, 255);
  p.abstraction = std::clamp(p.abstraction, 0, 100);
  p.strength = std::clamp(p.strength, 0, 255);
  p.saturation = std::clamp(p.saturation, 0, 255);
  const int a = p.minimumSize, b = p.iterations, c = p.abstraction;
  context.Rng.RandomSeed = kShadedBrushSeed;
  const int W = S.Width(), H = S.Height();
  // The edge measure needs a pixel on every side: a picture without inner pixels comes back as
  // it is.
  if (W < 3 || H < 3) {
    D = S;
    context.ReportProgress(101, 100, 1, 1);
    return true;
  }
  D = Bitmap24(W, H, 0xFFFFFF);
  if (options.preview) context.ShowPreviewProgress(D, -1);
  context.ReportProgress(0, 100, 1, 1);
  AdjustSaturation(S, ((p.saturation - 128) * 100) / 128, context);

  Brush brush;
  brush.picture = options.brush != nullptr && !options.brush->Empty() ? *options.brush : StandardPaintBrush3D();
  brush.width = brush.picture.Width();
  brush.height = brush.picture.Height();
  const int g = p.strength / 2 + 128;
  for (int y = 0; y < brush.height; ++y) {
    std::uint8_t* row = brush.picture.Row(y);
    for (int x = 0; x < brush.width; ++x) row[4 * x + 3] = static_cast<std::uint8_t>(std::min(255, g * row[4 * x + 3] / 255));
  }
  const int K = g / 3;

  const int z0 = kFirstLevel + std::min(b / 2, 50);
  const int zLast = 4 * a;
  const std::int64_t steps = std::max<std::int64_t>(1, (static_cast<std::int64_t>(W / 20) * (H / 20)) / 100);
  int r = 0;
  int m = 0;
  StrokeState state;
  ShadedBrushPainter painter(S, D, brush, p, options, K, context);

  for (int z = z0; z >= zLast; --z) {
    if (z <= kAttemptRampLevel) {
      r = (1600 - z) / 40;
      if (z <= 4 * a + 500) r = 3 * r;
    }
    for (std::int64_t step = 0; step < steps; ++step) {
      if (z % 2 == 0) {
        if (context.AbortRequested) {
          context.ReportProgress(101, 100, 1, 1);
          return false;
        }
        const int n = std::max(0, (r * b) / 40);
        m = n + 1;
        for (int attempt = 0; attempt <= n; ++attempt) {
          int x = 0, y = 0;
          if (z < kWhiteSearchLevel) {
            x = context.Random(W - 2) + 1;
            y = context.Random(H - 2) + 1;
          } else {
            for (int tries = 0; tries < kWhiteSearchLimit; ++tries) {
              x = context.Random(W - 2) + 1;
              y = context.Random(H - 2) + 1;
              if (IsWhite(D, x, y)) break;
            }
          }
          const Edge edge = EdgeAt(S, x, y);
          const int t = context.Random(c);
          if (!(edge.mag >= 10 * c - t || z >= kLargeStrokeLevel)) continue;
          if (painter.Stroke(x, y, edge, z, state)) {
            m = attempt;
            break;
          }
          context.CheckAbort();
        }
      }
      if ((z + m) % (35 - z / 120) == 0) {
        if (options.preview) {
          context.ShowPreviewProgress(D, -1);
        } else {
          context.CheckAbort();
          context.ReportProgress(1850 - z, 1850 - 4 * a, 1, 1);
        }
      }
    }
  }
  Sharpen3(D);
  Sharpen3(D);
  Sharpen3(D);
  context.ReportProgress(101, 100, 1, 1);
  return true;
}

bool ShadedBrushPaintingPreview(Bitmap24& S, Bitmap24& D, const ShadedBrushParameters& parameters,
                                ShadedBrushOptions options, RunContext& context) {
  options.preview = true;
  return ShadedBrushPainting(S, D, parameters, options, context);
}

StyleOutput ProcessPainting10(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings, const SurfaceSettings&,
                              RunContext& context) {
  // The painting grows in a picture of its own: an unwatched shown copy and a source the caller
  // does not keep are let go rather than held beside it.
  ReleaseUnwatchedShown(shown, settings);
  StyleOutput output{.picture = Bitmap24(source.Width(), source.Height(), 0xFFFFFF), .sliders = settings.sliders};
  context.ReportProgress(0, 100, 1, 1);
  Bitmap24 S = OwnSource(source, settings);
  if (context.Progress != nullptr) context.Progress->WatchOutput(&output.picture);
  ShadedBrushPainting(S, output.picture, ShadedBrushParametersFrom(settings.sliders), {.doubled = settings.doubled, .brush = settings.paintBrush3D},
                      context);
  if (context.Progress != nullptr) context.Progress->WatchOutput(nullptr);
  context.ReportProgress(101, 100, 1, 1);
  return output;
}

StyleOutput PreviewPainting10(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings&,
                              RunContext& context) {
  StyleOutput output{.sliders = settings.sliders};
  Bitmap24 S = crop;
  ShadedBrushPaintingPreview(S, output.picture, ShadedBrushParametersFrom(settings.sliders),
                             {.doubled = settings.doubled, .brush = settings.paintBrush3D}, context);
  return output;
}

}  // namespace atelion
