// Painting 2: the flow field holds, for every inner pixel, the strength of the strongest colour
// edge through it and the direction along that edge (a random direction where the picture is
// flat). A round bristle brush, tinted with the photograph's colour plus a little noise, is
// stamped step by step along paths that start in that direction and bend slowly. The
// underpainting lays one long stroke per 40 × 40 block on a half-size canvas; the stroke levels
// then throw strokes at random places, the brush shrinking twice, late strokes gathering where
// the edges are strong, and from level 15 on a stroke is only kept when it lowers the summed
// difference to the photograph around it.
#include "styles/painting/painting_2.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "styles/painting/flow_brushes.h"

namespace atelion {

namespace {

// Underpainting blocks, in pixels of the half-size canvas.
constexpr int kBlock = 40;
constexpr int kLevels = 500;          // levels 0..500
constexpr int kTestFromLevel = 15;    // strokes are tried on the scratch canvas from here on
constexpr int kMediumBrushLevel = 50; // also where the edge-strength gate starts
constexpr int kSmallBrushLevel = 400; // and eight times the attempts
constexpr int kPlacesPerPump = 25;
constexpr int kLongestRandomLength = 150;
constexpr int kShortestStroke = 10;

// x div 255 for 0 ≤ x ≤ 255 · 255, in 16-bit arithmetic so that the stamping loop works on many
// bytes at once.
inline std::uint16_t Div255(std::uint16_t x) {
  return static_cast<std::uint16_t>(static_cast<std::uint16_t>(x + 1 + (x >> 8)) >> 8);
}

inline std::uint8_t ClampByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// The slider values with the quantities derived from them.
struct Plan {
  int a, b, c, e, f;
  int L;      // divisor of the stroke lengths
  int m;      // margin of the test area
  int gate;
  int q;
  float factor;
};

Plan PlanFrom(const FlowStrokeParameters& p) {
  Plan plan{p.strokeLength, p.strokeCount, p.abstraction, p.colourIntensity, p.strokeIntensity, 0, 0, 0, 0, 0};
  plan.L = 28 - plan.a / 10;
  plan.m = plan.a / 4;
  plan.gate = 255 - plan.b;
  plan.q = plan.b / 25 + 1;
  plan.factor = static_cast<float>(1.0 + plan.c / 4000.0);
  return plan;
}

// The edge strength and the direction along the edge at every pixel; the outermost rows and
// columns keep strength 0 and direction 0.
class FlowField {
 public:
  FlowField(const Bitmap24& S, RandomGenerator& rng) : width_(S.Width()) {
    const std::size_t count = static_cast<std::size_t>(S.Width()) * static_cast<std::size_t>(S.Height());
    magnitude_.assign(count, 0);
    angle_.assign(count, 0.0f);
    for (int y = 1; y < S.Height() - 1; ++y) {
      const std::uint8_t* above = S.Row(y - 1);
      const std::uint8_t* row = S.Row(y);
      const std::uint8_t* below = S.Row(y + 1);
      for (int x = 1; x < S.Width() - 1; ++x) {
        int Gx = 0, Gy = 0;
        for (int ch = 0; ch < 3; ++ch) {
          const int l = 3 * (x - 1) + ch, c = 3 * x + ch, r = 3 * (x + 1) + ch;
          const int gy = 3 * above[l] + 10 * above[c] + 3 * above[r] - 3 * below[l] - 10 * below[c] - 3 * below[r];
          const int gx = 3 * above[l] + 10 * row[l] + 3 * below[l] - 3 * above[r] - 10 * row[r] - 3 * below[r];
          if (ch == 0 || gy > Gy) Gy = gy;
          if (ch == 0 || gx > Gx) Gx = gx;
        }
        const int magnitude = (std::abs(Gx) + std::abs(Gy)) / 32;
        const std::size_t at = Index(x, y);
        magnitude_[at] = static_cast<std::uint8_t>(magnitude);
        angle_[at] = magnitude >= 1 ? static_cast<float>(std::atan2(static_cast<double>(Gy), static_cast<double>(Gx)) + 1.5707)
                                    : static_cast<float>(rng.Random(628) / 1000.0);
      }
    }
  }

  int Magnitude(int x, int y) const { return magnitude_[Index(x, y)]; }
  float Angle(int x, int y) const { return angle_[Index(x, y)]; }

 private:
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + static_cast<std::size_t>(x); }

  std::size_t width_;
  // The strength is at most (4080 + 4080) div 32 = 255 and fits a byte.
  std::vector<std::uint8_t> magnitude_;
  std::vector<float> angle_;
};

// The brush in use: its shape (alpha), the colour of each of its pixels, and per byte the
// weight it stamps with, which is its alpha where the pixel paints and 0 where it does not (a
// stamp of weight 0 leaves the canvas exactly as it was).
class Brush {
 public:
  void Take(const Bitmap32& picture) {
    width_ = picture.Width();
    height_ = picture.Height();
    const std::size_t pixels = static_cast<std::size_t>(width_) * height_;
    alpha_.assign(pixels, 0);
    colour_.assign(3 * pixels, 0);
    weight_.assign(3 * pixels, 0);
    rowFirst_.assign(static_cast<std::size_t>(height_), width_);
    rowLast_.assign(static_cast<std::size_t>(height_), -1);
    for (int j = 0; j < height_; ++j) {
      const std::uint8_t* in = picture.Row(j);
      for (int i = 0; i < width_; ++i) {
        const std::size_t at = Pixel(i, j);
        alpha_[at] = in[4 * i + 3];
        for (int ch = 0; ch < 3; ++ch) colour_[3 * at + ch] = in[4 * i + ch];
        if (alpha_[at] > 0) {
          rowFirst_[static_cast<std::size_t>(j)] = std::min(rowFirst_[static_cast<std::size_t>(j)], i);
          rowLast_[static_cast<std::size_t>(j)] = i;
        }
      }
    }
    AllPaint();
  }

  int Width() const { return width_; }
  int Height() const { return height_; }

  // Every pixel paints with its alpha.
  void AllPaint() {
    for (std::size_t at = 0; at < alpha_.size(); ++at) {
      weight_[3 * at] = weight_[3 * at + 1] = weight_[3 * at + 2] = alpha_[at];
    }
  }

  // The whole brush in one colour, without noise.
  void Fill(const std::uint8_t* pixel) {
    for (std::size_t at = 0; at < alpha_.size(); ++at) std::memcpy(&colour_[3 * at], pixel, 3);
  }

  // The underpainting's tint: every pixel the colour of `pixel`, lifted by 15 or lowered by up
  // to 9 at random.
  void TintAll(const std::uint8_t* pixel, RandomGenerator& shared) {
    RandomGenerator rng = shared;
    for (int j = 0; j < height_; ++j) {
      for (int i = 0; i < width_; ++i) {
        const int t = rng.Random(i + j) % 3 != 0 ? 15 : -rng.Random(10);
        std::uint8_t* out = &colour_[3 * Pixel(i, j)];
        for (int ch = 0; ch < 3; ++ch) out[ch] = ClampByte(pixel[ch] + t);
      }
    }
    shared = rng;
  }

  // A stroke's colours with the brush's top-left corner at (ox, oy): each pixel over the canvas
  // takes, lifted by 25 or lowered by up to 19 at random, either the photograph's colour at the
  // stroke's centre or the one under it.
  void TintStroke(const Bitmap24& S, int ox, int oy, const std::uint8_t* centre, int z, int singleColourBelow,
                  RandomGenerator& shared) {
    RandomGenerator rng = shared;
    const int W = S.Width(), H = S.Height();
    for (int j = 0; j < height_; ++j) {
      const int y = oy + j;
      const bool rowInside = y >= 0 && y < H;
      const std::uint8_t* sourceRow = rowInside ? S.Row(y) : nullptr;
      for (int i = 0; i < width_; ++i) {
        const int x = ox + i;
        const std::size_t at = Pixel(i, j);
        if (!rowInside || x < 0 || x >= W) {
          // No draw is made for it; it takes the colour of the nearest pixel of the photograph,
          // so that where the path carries it over the canvas it paints the colour found at the
          // border instead of a colour left from another stroke (or the black of a new brush).
          std::memcpy(&colour_[3 * at], S.Row(std::clamp(y, 0, H - 1)) + 3 * std::clamp(x, 0, W - 1), 3);
          const std::uint8_t a = alpha_[at];
          weight_[3 * at] = weight_[3 * at + 1] = weight_[3 * at + 2] = a;
          continue;
        }
        const int t = rng.Random(i + j) % 3 != 0 ? 25 : -rng.Random(20);
        const std::uint8_t* from = rng.Random(150) + z < singleColourBelow ? centre : sourceRow + 3 * x;
        std::uint8_t* out = &colour_[3 * at];
        for (int ch = 0; ch < 3; ++ch) out[ch] = ClampByte(from[ch] + t);
        const std::uint8_t a = alpha_[at];
        weight_[3 * at] = weight_[3 * at + 1] = weight_[3 * at + 2] = a;
      }
    }
    shared = rng;
  }

  // Stamps the brush with its top-left corner at (px, py) onto T with opacity p: each channel
  // first mixes towards the brush colour by the alpha, then the canvas moves towards that mix
  // by p / 255.
  void Stamp(Bitmap24& T, int px, int py, int p) const {
    const int TW = T.Width(), TH = T.Height();
    const int jFirst = std::max(0, -py), jEnd = std::min(height_, TH - py);
    const auto opacity = static_cast<std::uint16_t>(p);
    const auto keep = static_cast<std::uint16_t>(255 - p);
    for (int j = jFirst; j < jEnd; ++j) {
      const int first = std::max(rowFirst_[static_cast<std::size_t>(j)], -px);
      const int last = std::min(rowLast_[static_cast<std::size_t>(j)], TW - 1 - px);
      if (first > last) continue;
      std::uint8_t* target = T.Row(py + j) + 3 * static_cast<std::ptrdiff_t>(px + first);
      const std::uint8_t* weight = &weight_[3 * Pixel(first, j)];
      const std::uint8_t* colour = &colour_[3 * Pixel(first, j)];
      const int n = 3 * (last - first + 1);
      for (int k = 0; k < n; ++k) {
        const std::uint16_t A = weight[k];
        const std::uint16_t value = target[k];
        const std::uint16_t mix = Div255(static_cast<std::uint16_t>((255 - A) * value + A * colour[k]));
        target[k] = static_cast<std::uint8_t>(Div255(static_cast<std::uint16_t>(keep * value + opacity * mix)));
      }
    }
  }

 private:
  std::size_t Pixel(int i, int j) const { return static_cast<std::size_t>(j) * width_ + static_cast<std::size_t>(i); }

  int width_ = 0, height_ = 0;
  std::vector<std::uint8_t> alpha_;
  std::vector<std::uint8_t> colour_;
  std::vector<std::uint8_t> weight_;
  std::vector<int> rowFirst_, rowLast_;  // the columns of each row with alpha above 0
};

// The sum over the rectangle (edges included) and the three channels of |P − S|.
std::int64_t Difference(const Bitmap24& P, const Bitmap24& S, int x0, int y0, int x1, int y1) {
  std::int64_t total = 0;
  const int n = 3 * (x1 - x0 + 1);
  for (int y = y0; y <= y1; ++y) {
    const std::uint8_t* p = P.Row(y) + 3 * x0;
    const std::uint8_t* s = S.Row(y) + 3 * x0;
    std::uint32_t row = 0;
    for (int k = 0; k < n; ++k) row += static_cast<std::uint32_t>(std::abs(p[k] - s[k]));
    total += row;
  }
  return total;
}

// Copies the rectangle from (x0, y0) up to, not including, (x1, y1) from one picture to the
// other (both of the same size).
void CopyArea(const Bitmap24& from, Bitmap24& to, int x0, int y0, int x1, int y1) {
  if (x1 <= x0) return;
  for (int y = y0; y < y1; ++y) {
    std::memcpy(to.Row(y) + 3 * x0, from.Row(y) + 3 * x0, 3 * static_cast<std::size_t>(x1 - x0));
  }
}

inline void KeepAlive(RunContext& context) { (void)context.CheckAbort(); }

// The underpainting on the half-size canvas M, stretched over D at the end. False when stopped.
bool Underpaint(const Bitmap24& S, Bitmap24& D, Bitmap24& M, Brush& B, const FlowField& flow, const Plan& plan,
                bool preview, RunContext& context) {
  const int W = S.Width(), H = S.Height();
  M = Bitmap24(W / 2, H / 2, 0xFFFFFF);  // the white D stretched to half size
  const int MW = M.Width(), MH = M.Height();
  const int Bw = B.Width(), Bh = B.Height();
  RandomGenerator& rng = context.Rng;
  // Blocks are laid up to the first one at or past the far edge, so that the brushes centred on
  // their corners reach the right and bottom edges as well.
  const int lastRow = (MH + kBlock - 1) / kBlock, lastColumn = (MW + kBlock - 1) / kBlock;
  for (int by = 0; by <= lastRow; ++by) {
    if (by % 4 == 0 && !preview) KeepAlive(context);
    for (int bx = 0; bx <= lastColumn; ++bx) {
      const int ox = kBlock * bx, oy = kBlock * by;
      if (context.AbortRequested) return false;
      if (ox + Bw / 2 <= MW - 1 && oy + Bh / 2 <= MH - 1) {
        B.TintAll(S.Row(2 * (oy + Bh / 2)) + 3 * 2 * (ox + Bw / 2), rng);
      }
      const int ax = Bw / 2 + ox / 2, ay = Bh / 2 + oy / 2;
      float v = 2 <= ax && ax < MW - 1 && 2 <= ay && ay < MH - 1 ? flow.Angle(ax, ay)
                                                                 : static_cast<float>(rng.Random() * 6.28);
      float d = static_cast<float>(rng.Random() * 0.005 - 0.0025);
      const int p = rng.Random(plan.f / 10) + 15;
      const int n = rng.Random((MW + MH) / 128) + rng.Random(20) + 10;
      // The stroke starts with the brush centred on the block's corner: with its top-left corner
      // there, the soft rim of the brush alone would reach the top and left edges, which then
      // stayed almost white.
      for (int s = 0; s <= n; ++s) {
        const int px = ox - Bw / 2 + static_cast<int>(std::floor(s * std::cos(static_cast<double>(v))));
        const int py = oy - Bh / 2 + static_cast<int>(std::floor(s * std::sin(static_cast<double>(v))));
        if (rng.Random(100) >= 75) d = static_cast<float>(d + rng.Random() * 0.003 - 0.0015);
        v = v + d;
        B.Stamp(M, px, py, p);
      }
      KeepAlive(context);
    }
  }
  if (!M.Empty()) StretchDraw(D, Rect{0, 0, W, H}, M);
  if (!preview) KeepAlive(context);
  return true;
}

}  // namespace

FlowStrokeParameters FlowStrokeParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kPainting2EffectId, slot, sliders[slot]); };
  return {.strokeLength = slider(kSlotTrackBar1),
          .strokeCount = slider(kSlotTrackBar2),
          .abstraction = slider(kSlotTrackBar5),
          .colourIntensity = slider(kSlotTrackBar3),
          .strokeIntensity = slider(kSlotTrackBar4)};
}

void FlowStrokePainting(const Bitmap24& source, Bitmap24& destination, const FlowStrokeParameters& parameters,
                        const StyleSettings& settings, RunContext& context) {
  const Bitmap24& S = source;
  Bitmap24& D = destination;
  const int W = S.Width(), H = S.Height();
  const bool preview = settings.preview;
  const Plan plan = PlanFrom(parameters);
  context.Rng.RandomSeed = kStyleSeed;
  D = Bitmap24(W, H, 0xFFFFFF);
  if (preview) {
    context.ShowPreviewProgress(D, -1);
  } else {
    context.ReportProgress(0, 100, 1, 1);
  }
  if (S.Empty()) {
    if (!preview) context.ReportProgress(101, 100, 1, 1);
    return;
  }

  const FlowField flow(S, context.Rng);
  RandomGenerator& rng = context.Rng;

  Brush B;
  B.Take(ShippedFlowBrush(FlowBrush::Large));
  // Until a block has coloured it, the brush carries the photograph's colour where the first
  // block would have taken it (the shipped brush is black).
  B.Fill(S.Row(std::min(2 * (B.Height() / 2), H - 1)) + 3 * std::min(2 * (B.Width() / 2), W - 1));

  Bitmap24 M;
  if (!Underpaint(S, D, M, B, flow, plan, preview, context)) {
    D.Fill(0xFFFFFF);
    if (!preview) context.ReportProgress(101, 100, 1, 1);
    return;
  }
  M = D;

  bool test = false;
  int k2 = 1;
  const std::int64_t attemptsPerLevel = static_cast<std::int64_t>(W) * H * plan.q / 48400;
  const int singleColourBelow = plan.c / 5 + 80;
  for (int k = 0; k <= kLevels; ++k) {
    // The count is fixed when the level starts: the first level of the small brush still makes
    // the attempts of one.
    const std::int64_t cnt = attemptsPerLevel * k2;
    for (std::int64_t l = 0; l <= cnt; ++l) {
      if (l % kPlacesPerPump == 0) KeepAlive(context);
      if (l == 0 && (k < 5 || k % 5 == 0)) {
        if (!preview) {
          context.ReportProgress(k, kLevels, 1, 1);
        } else if (k % 10 == 0) {
          context.ShowPreviewProgress(D, -1);
        }
        KeepAlive(context);
      }
      if (l == 0) {
        if (k == kTestFromLevel) test = true;
        if (k == kMediumBrushLevel) B.Take(ShippedFlowBrush(FlowBrush::Medium));
        if (k == kSmallBrushLevel) {
          k2 = 8;
          B.Take(ShippedFlowBrush(FlowBrush::Small));
        }
      }
      const int Bw = B.Width(), Bh = B.Height();
      const int ox = rng.Random(W - 1) - Bw / 2;
      const int oy = rng.Random(H - 1) - Bh / 2;
      const int cx = ox + Bw / 2, cy = oy + Bh / 2;
      if (rng.Random(290) < plan.gate) continue;
      if (k > kMediumBrushLevel && flow.Magnitude(cx, cy) < rng.Random(k / 4)) continue;

      float u = cx < W - 1 && cy < H - 1 ? flow.Angle(cx, cy) : static_cast<float>(rng.Random() * 6.28);
      const int z = rng.Random(100) < 70 ? -50 : 100;
      B.TintStroke(S, ox, oy, S.Row(cy) + 3 * cx, z, singleColourBelow, rng);
      float d = static_cast<float>(rng.Random() * 0.009 - 0.0045);
      const int magnitude = flow.Magnitude(cx, cy);
      const int n = std::max(std::min(rng.Random((kLevels - k) / plan.L), kLongestRandomLength) + (2 * magnitude) / plan.L,
                             kShortestStroke);

      int x0 = 0, y0 = 0, x1 = 0, y1 = 0, copyRight = 0, copyBottom = 0;
      std::int64_t before = 0;
      if (test) {
        const int ex = ox + static_cast<int>(std::floor(n * std::cos(static_cast<double>(u))));
        const int ey = oy + static_cast<int>(std::floor(n * std::sin(static_cast<double>(u))));
        x0 = std::clamp(std::min(ox, ex) - Bw - plan.m, 0, W - 1);
        x1 = std::clamp(std::max(ox, ex) + Bw + plan.m, 0, W - 1);
        y0 = std::clamp(std::min(oy, ey) - Bh - plan.m, 0, H - 1);
        y1 = std::clamp(std::max(oy, ey) + Bh + plan.m, 0, H - 1);
        // The copies leave out the right column and bottom row of the area, except at the
        // picture's own right and bottom edges: there nothing else would ever bring a kept
        // stroke onto the last column and row, which would stay as the underpainting left them.
        copyRight = x1 == W - 1 ? W : x1;
        copyBottom = y1 == H - 1 ? H : y1;
        CopyArea(D, M, x0, y0, copyRight, copyBottom);
        before = 32 * Difference(D, S, x0, y0, x1, y1);
      }
      const int p = rng.Random(plan.f / 4 + k / 30) + plan.f / 25;
      Bitmap24& target = test ? M : D;
      for (int s = 0; s <= n; ++s) {
        const int px = ox + static_cast<int>(std::floor(s * std::cos(static_cast<double>(u))));
        const int py = oy + static_cast<int>(std::floor(s * std::sin(static_cast<double>(u))));
        if (test) {
          if (rng.Random(100) > 80) d = static_cast<float>(d + rng.Random() * 0.003 - 0.0015);
        } else {
          if (rng.Random(100) > 85) d = static_cast<float>(d + rng.Random() * 0.002 - 0.001);
        }
        u = u + d;
        B.Stamp(target, px, py, p);
      }
      if (test) {
        const std::int64_t after = 32 * Difference(M, S, x0, y0, x1, y1);
        if (static_cast<double>(before) > static_cast<double>(after) * static_cast<double>(plan.factor)) {
          CopyArea(M, D, x0, y0, copyRight, copyBottom);
        }
      }
      if (context.AbortRequested) {
        if (!preview) context.ReportProgress(101, 100, 1, 1);
        return;
      }
    }
  }

  M = Bitmap24();
  Sharpen3(D);
  AdjustSaturation(D, ((plan.e - 128) * 100) / 128, context);
  if (!preview) context.ReportProgress(101, 100, 1, 1);
}

StyleOutput ProcessPainting2(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                             const SurfaceSettings& surface, RunContext& context) {
  (void)surface;
  FlowStrokePainting(source, shown, FlowStrokeParametersFrom(settings.sliders), settings, context);
  return {.picture = std::move(shown), .sliders = settings.sliders};
}

StyleOutput PreviewPainting2(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                             RunContext& context) {
  (void)surface;
  StyleOutput output{.sliders = settings.sliders};
  FlowStrokePainting(crop, output.picture, FlowStrokeParametersFrom(settings.sliders), settings, context);
  return output;
}

}  // namespace atelion
