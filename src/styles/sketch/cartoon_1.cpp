// Cartoon 1. Random seeds grow square rings of pixels close to the seed's colour; the connected
// part of what a seed grew is painted with its mean colour, so the photograph breaks into flat
// patches, and the tolerance rises with the seed count so late seeds fill the gaps with larger
// patches. The flat picture is posterized, neighbouring pixels of similar colour are merged in
// 2 × 2 blocks, the brightness is shifted, ink lines are drawn where a smoothed copy of the
// photograph has strong gradients, and block contrast and saturation finish the cartoon.
#include "styles/sketch/cartoon_1.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/canvas.h"
#include "core/filters.h"
#include "styles/sketch/pen_and_ink_sketch_1.h"

namespace atelion {

namespace {

constexpr std::uint8_t kMarkerRed = 255, kMarkerGreen = 127, kMarkerBlue = 0;
constexpr Colour kMarker = MakeColour(kMarkerRed, kMarkerGreen, kMarkerBlue);
// Tries to find a free seed before the region stage gives up.
constexpr int kSeedTries = 151;
// The intermediate picture is refreshed every so many seeds and ink columns.
constexpr int kShowEverySeeds = 150;
constexpr int kShowEveryColumns = 25;

inline bool IsWhite(const std::uint8_t* p) { return p[0] == 255 && p[1] == 255 && p[2] == 255; }
inline bool IsMarker(const std::uint8_t* p) { return p[0] == kMarkerBlue && p[1] == kMarkerGreen && p[2] == kMarkerRed; }
inline std::uint8_t Clamp255(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

struct Flags {
  bool hidden;       // the drawing-parameters window is hidden: progress and pumping
  bool showGrowing;  // the result panel shows the drawing as it grows
};

void Show(const Bitmap24& drawing, Bitmap24* shown, const Flags& flags) {
  if (flags.showGrowing && shown != nullptr) DrawPicture(*shown, 0, 0, drawing);
}

// The region stage. Returns false when a stop was requested.
bool PaintRegions(const Bitmap24& S, Bitmap24& D, Bitmap24& M, const CartoonParameters& p, RunContext& context,
                  const Flags& flags, Bitmap24* shown) {
  const int W = S.Width(), H = S.Height();
  const std::int64_t area = static_cast<std::int64_t>(W) * H;
  // Pictures under 140 (or 100) pixels would divide by zero here: one pixel is the least unit.
  const std::int64_t coverageUnit = std::max<std::int64_t>(area / 140, 1);
  const std::int64_t progressUnit = std::max<std::int64_t>(area / 100, 1);
  const int Si = p.simplification;
  std::int64_t painted = 0;
  RandomGenerator& rng = context.Rng;

  const std::int64_t lastIteration = static_cast<std::int64_t>(W + H) * 100;
  for (std::int64_t j = 0; j <= lastIteration; ++j) {
    int x = 0, y = 0;
    bool found = false;
    for (int attempt = 0; attempt < kSeedTries && !found; ++attempt) {
      x = rng.Random(W - 1);
      y = rng.Random(H - 1);
      const std::uint8_t* s = S.Row(y) + 3 * x;
      found = IsWhite(D.Row(y) + 3 * x) && (s[0] < 250 || s[1] < 250 || s[2] < 250);
    }
    if (!found) break;
    if (painted / coverageUnit > (p.strength >> 1)) break;

    const std::uint8_t* seed = S.Row(y) + 3 * x;
    const int qB = seed[0], qG = seed[1], qR = seed[2];
    const std::int64_t growth = ((static_cast<std::int64_t>(Si) + 1) * j) >> (context.Processing ? 9 : 5);
    const int Lmax = std::max({x, W - x, y, H - y});
    int l = 1;
    for (; l <= Lmax; ++l) {
      const std::int64_t tol = std::max(Si >> 3, Si - l) + 1 + growth;
      // One side of the ring: matching free pixels are marked with the seed colour in M.
      auto visit = [&](int px, int py, int& run, int& longest) {
        if (px < 0 || px >= W || py < 0 || py >= H) return;
        if (!IsWhite(D.Row(py) + 3 * px)) return;
        const std::uint8_t* s = S.Row(py) + 3 * px;
        if (std::abs(s[2] - qR) + std::abs(s[1] - qG) + std::abs(s[0] - qB) < tol) {
          std::uint8_t* m = M.Row(py) + 3 * px;
          m[0] = static_cast<std::uint8_t>(qB), m[1] = static_cast<std::uint8_t>(qG), m[2] = static_cast<std::uint8_t>(qR);
          longest = std::max(longest, ++run);
        } else {
          run = 0;
        }
      };
      int sum = 0;
      for (const int row : {y - l, y + l}) {
        if (row < 0 || row > H - 1) continue;
        int run = 0, longest = 0;
        for (int px = std::max(x - l, 0); px <= std::min(x + l, W - 1); ++px) visit(px, row, run, longest);
        sum += longest;
      }
      for (const int column : {x - l, x + l}) {
        if (column < 0 || column > W - 1) continue;
        int run = 0, longest = 0;
        for (int py = std::max(y - l, 0); py <= std::min(y + l, H - 1); ++py) visit(column, py, run, longest);
        sum += longest;
      }
      if ((l < 20 && sum <= 3) || (l >= 20 && sum <= 10)) break;
    }

    if (flags.hidden) context.CheckAbort();
    if (context.AbortRequested) return false;

    if (l >= 4) {
      std::uint8_t* m0 = M.Row(y) + 3 * x;
      m0[0] = static_cast<std::uint8_t>(qB), m0[1] = static_cast<std::uint8_t>(qG), m0[2] = static_cast<std::uint8_t>(qR);
      FloodFill(M, x, y, kMarker);
      const int left = std::max(0, x - l), right = std::min(W - 1, x + l);
      const int top = std::max(0, y - l), bottom = std::min(H - 1, y + l);
      std::int64_t sumB = 0, sumG = 0, sumR = 0, n = 0;
      int boxLeft = right, boxRight = left, boxTop = bottom, boxBottom = top;
      for (int py = top; py <= bottom; ++py) {
        const std::uint8_t* mRow = M.Row(py);
        const std::uint8_t* sRow = S.Row(py);
        for (int px = left; px <= right; ++px) {
          if (!IsMarker(mRow + 3 * px)) continue;
          sumB += sRow[3 * px], sumG += sRow[3 * px + 1], sumR += sRow[3 * px + 2];
          ++n;
          boxLeft = std::min(boxLeft, px), boxRight = std::max(boxRight, px);
          boxTop = std::min(boxTop, py), boxBottom = std::max(boxBottom, py);
        }
      }
      // The divisor counts one more than the marked pixels.
      const std::uint8_t mean[3] = {static_cast<std::uint8_t>(std::min<std::int64_t>(sumB / (n + 1), 254)),
                                    static_cast<std::uint8_t>(std::min<std::int64_t>(sumG / (n + 1), 254)),
                                    static_cast<std::uint8_t>(std::min<std::int64_t>(sumR / (n + 1), 254))};
      for (int py = boxTop; py <= boxBottom; ++py) {
        const std::uint8_t* mRow = M.Row(py);
        std::uint8_t* dRow = D.Row(py);
        for (int px = boxLeft; px <= boxRight; ++px) {
          if (!IsMarker(mRow + 3 * px)) continue;
          std::memcpy(dRow + 3 * px, mean, 3);
          ++painted;
        }
      }
      if (context.AbortRequested) return false;
      // Holes: free pixels with at least 8 marked pixels around them take the region's colour.
      for (int py = boxTop + 2; py <= boxBottom - 2; ++py) {
        std::uint8_t* dRow = D.Row(py);
        for (int px = boxLeft + 2; px <= boxRight - 2; ++px) {
          if (!IsWhite(dRow + 3 * px)) continue;
          int count = 0;
          for (int dy = -2; dy <= 2; ++dy) {
            const std::uint8_t* mRow = M.Row(py + dy);
            for (int dx = -2; dx <= 2; ++dx) count += mRow[3 * (px + dx) + 1] == kMarkerGreen;
          }
          if (count >= 8) std::memcpy(dRow + 3 * px, mean, 3);
        }
      }
      FillRect(M, Rect{x - l - 1, y - l - 1, x + l + 1, y + l + 1}, 0xFFFFFF);
    }
    if (j % kShowEverySeeds == 0) Show(D, shown, flags);
    if (j % 33 == 0 && flags.hidden) context.ReportProgress(static_cast<int>(painted / progressUnit), 85, 1, 3);
  }
  if (flags.hidden) context.ReportProgress(100, 100, 1, 3);
  return true;
}

// Neighbouring pixels of similar colour in 2 × 2 blocks take their rounded mean; the red
// difference counts double. Returns false when a stop was requested.
bool MergeBlocks(Bitmap24& D, RunContext& context, const Flags& flags) {
  const int W = D.Width(), H = D.Height();
  // The rounded mean of 2, 3 or 4 values from their sum: sum div n, plus 1 when the remainder is
  // above n shr 1, at most 255.
  std::array<std::array<std::uint8_t, 4 * 255 + 1>, 3> roundedMean{};
  for (int n = 2; n <= 4; ++n)
    for (int sum = 0; sum <= n * 255; ++sum)
      roundedMean[n - 2][sum] = static_cast<std::uint8_t>(std::min(255, sum / n + (sum % n > (n >> 1) ? 1 : 0)));
  if (flags.hidden) context.ReportProgress(0, 35, 2, 3);
  if (context.AbortRequested) return false;
  for (int pass = 0; pass <= 35; ++pass) {
    const int o = pass % 2;
    if (flags.hidden) context.ReportProgress(pass, 35, 2, 3);
    for (int r = 0; r <= (H >> 1) - 2; ++r) {
      if (flags.hidden) context.CheckAbort();
      std::uint8_t* upper = D.Row(2 * r + o);
      std::uint8_t* lower = D.Row(2 * r + o + 1);
      for (int q = 0; q <= (W >> 1) - 2; ++q) {
        const int column = 2 * q + o;
        std::uint8_t* TL = upper + 3 * column;
        std::uint8_t* others[3] = {upper + 3 * (column + 1), lower + 3 * column, lower + 3 * (column + 1)};
        const int th = (TL[0] + TL[1] + TL[2]) / 30 + 15;
        int sum[3] = {TL[0], TL[1], TL[2]};
        int n = 1;
        bool marked[3] = {false, false, false};
        for (int i = 0; i < 3; ++i) {
          const std::uint8_t* P = others[i];
          const int d = std::max({2 * std::abs(P[2] - TL[2]), std::abs(P[1] - TL[1]), std::abs(P[0] - TL[0])});
          if (d < th) {
            for (int c = 0; c < 3; ++c) sum[c] += P[c];
            ++n;
            marked[i] = true;
          }
        }
        if (n < 2) continue;
        const std::uint8_t* rounded = roundedMean[n - 2].data();
        const std::uint8_t value[3] = {rounded[sum[0]], rounded[sum[1]], rounded[sum[2]]};
        std::memcpy(TL, value, 3);
        for (int i = 0; i < 3; ++i)
          if (marked[i]) std::memcpy(others[i], value, 3);
      }
    }
    if (context.AbortRequested) {
      context.ReportProgress(101, 100, 3, 3);
      return false;
    }
  }
  if (flags.hidden) context.ReportProgress(100, 100, 2, 3);
  return true;
}

// The 3 × 3 mean of each inner pixel, in place: the neighbours above and to the left already
// hold their smoothed values.
void SmoothInPlace(Bitmap24& M) {
  const int W = M.Width(), H = M.Height();
  for (int y = 1; y <= H - 2; ++y) {
    const std::uint8_t* above = M.Row(y - 1);
    std::uint8_t* here = M.Row(y);
    const std::uint8_t* below = M.Row(y + 1);
    for (int x = 1; x <= W - 2; ++x) {
      for (int c = 0; c < 3; ++c) {
        const int i = 3 * x + c;
        const int sum = above[i - 3] + above[i] + above[i + 3] + here[i - 3] + here[i] + here[i + 3] + below[i - 3] +
                        below[i] + below[i + 3];
        here[i] = static_cast<std::uint8_t>(sum / 9);
      }
    }
  }
}

// Ink where the smoothed photograph's gradient is above 255 − Ei. Strips of columns are drawn
// row by row (each pixel depends only on itself and the smoothed copy). Returns false on a stop.
bool DrawInkLines(Bitmap24& D, const Bitmap24& M, int Ei, RunContext& context, const Flags& flags, Bitmap24* shown) {
  const int W = D.Width(), H = D.Height();
  if (flags.hidden) context.ReportProgress(0, W, 3, 3);
  for (int first = 1; first <= W - 2; first += kShowEveryColumns) {
    const int last = std::min(first + kShowEveryColumns - 1, W - 2);
    for (int y = 1; y <= H - 2; ++y) {
      const std::uint8_t* above = M.Row(y - 1);
      const std::uint8_t* here = M.Row(y);
      const std::uint8_t* below = M.Row(y + 1);
      std::uint8_t* out = D.Row(y);
      for (int x = first; x <= last; ++x) {
        int g = 0;
        for (int c = 0; c < 3; ++c) {
          const int i = 3 * x + c;
          g += std::abs(above[i] - below[i]) + std::abs(here[i - 3] - here[i + 3]);
        }
        const int e = std::min(g / 3, 255);
        if (e > 255 - Ei) {
          for (int c = 0; c < 3; ++c) out[3 * x + c] = Clamp255(out[3 * x + c] - 2 * e + 1);
        }
      }
    }
    if (flags.hidden) {
      context.ReportProgress(last, W, 3, 3);
      context.CheckAbort();
    }
    Show(D, shown, flags);
    if (context.AbortRequested) {
      context.ReportProgress(101, 100, 3, 3);
      return false;
    }
  }
  Show(D, shown, flags);
  return true;
}

}  // namespace

CartoonParameters CartoonParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kCartoon1EffectId, slot, sliders[slot]); };
  return {.strength = slider(kSlotTrackBar1),
          .simplification = slider(kSlotTrackBar2),
          .darkenLighten = slider(kSlotTrackBar5),
          .edgeIntensity = slider(kSlotTrackBar3),
          .colourIntensity = slider(kSlotTrackBar4)};
}

void Cartoonify(const Bitmap24& source, Bitmap24& destination, const CartoonParameters& parameters,
                const StyleSettings& settings, RunContext& context, Bitmap24* shown) {
  const int W = source.Width(), H = source.Height();
  const Flags flags{.hidden = !settings.preview,
                    .showGrowing = context.Processing && !settings.preview && !settings.manualBrushMode};
  Bitmap24 M(W, H, 0xFFFFFF);
  destination = Bitmap24(W, H, 0xFFFFFF);
  Bitmap24& D = destination;
  if (flags.showGrowing && shown != nullptr) shown->Fill(0xFFFFFF);
  if (flags.hidden) context.ReportProgress(0, 85, 1, 3);

  if (!PaintRegions(source, D, M, parameters, context, flags, shown)) return;

  // Posterize to the levels 0, 12, 24 … 252, and 255 from 242 on.
  std::array<std::uint8_t, 256> levels{};
  for (int v = 0; v < 256; ++v) levels[v] = static_cast<std::uint8_t>(std::min(255, 12 * (v / 11)));
  for (int y = 0; y < H; ++y) {
    std::uint8_t* row = D.Row(y);
    for (int i = 0; i < 3 * W; ++i) row[i] = levels[row[i]];
  }

  if (!MergeBlocks(D, context, flags)) return;

  const int b = 2 * (parameters.darkenLighten - 50);
  std::array<std::uint8_t, 256> brightness{};
  for (int v = 0; v < 256; ++v) brightness[v] = Clamp255(b > 0 ? v + (b * (255 - v)) / 100 : v + (b * v) / 100);
  for (int y = 0; y < H; ++y) {
    std::uint8_t* row = D.Row(y);
    for (int i = 0; i < 3 * W; ++i) row[i] = brightness[row[i]];
  }

  M = source;
  SmoothInPlace(M);
  if (!DrawInkLines(D, M, parameters.edgeIntensity, context, flags, shown)) return;

  // What no region reached keeps the photograph's colour.
  for (int y = 0; y < H; ++y) {
    const std::uint8_t* s = source.Row(y);
    std::uint8_t* d = D.Row(y);
    for (int x = 0; x < W; ++x) {
      if (!IsWhite(d + 3 * x)) continue;
      for (int c = 0; c < 3; ++c) d[3 * x + c] = std::min<std::uint8_t>(s[3 * x + c], 254);
    }
  }
  if (context.AbortRequested) {
    context.ReportProgress(101, 100, 3, 3);
    return;
  }

  if (!context.AbortRequested) BlockContrast(D, 50, context, flags.hidden);
  if (!context.AbortRequested) AdjustSaturation(D, (100 * (parameters.colourIntensity - 127)) / 127, context);
  if (context.AbortRequested) {
    context.ReportProgress(101, 100, 3, 3);
    return;
  }
  if (flags.hidden) context.ReportProgress(101, 100, 3, 3);
  Show(D, shown, flags);
}

StyleOutput PreviewCartoonify(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings&,
                              RunContext& context) {
  // The preview runs the cartoon with Processing set, as a full-size run would.
  const bool wasProcessing = context.Processing;
  context.Processing = true;
  StyleOutput output{.sliders = settings.sliders};
  Cartoonify(crop, output.picture, CartoonParametersFrom(settings.sliders), settings, context);
  context.Processing = wasProcessing;
  return output;
}

StyleOutput ProcessCartoonify(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings, const SurfaceSettings&,
                              RunContext& context) {
  StyleOutput output{.sliders = settings.sliders};
  Cartoonify(source, output.picture, CartoonParametersFrom(settings.sliders), settings, context, &shown);
  return output;
}

}  // namespace atelion
