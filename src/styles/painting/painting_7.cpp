// Painting 7: on a coloured ground, brush pictures from the brush sheet, resampled to the current
// size and turned at random, are laid where the painting still differs from the photograph. Each
// stroke takes the mean photograph colour under the brush and is kept only when its error stays
// below a limit drawn from the error it would replace; the brush shrinks by a tenth whenever its
// stroke budget is spent. Last, contours are darkened from the remaining difference and the edge
// stroke layer.
#include "styles/painting/painting_7.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <span>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/geometry.h"
#include "core/rotate_bitmap.h"
#include "styles/painting/brush_sheet.h"
#include "styles/painting/edge_strokes.h"

namespace atelion {

namespace {

constexpr int kSharpening = 10;
// Brush pixels whose red byte is below this carry paint, with weight 255 − red.
constexpr int kPaintBelow = 250;
constexpr int kShippedBrushCount = 38;
constexpr std::int64_t kBudgetCap = 700000000;
// While the opening lasts almost every stroke is accepted.
constexpr std::int64_t kOpeningBase = 300000;
constexpr int kStrokesPerBrush = 500;
constexpr int kStrokesPerPump = 2000;
constexpr int kStrokesPerPreviewShow = 25000;
// A start position is drawn again at most this many times while it already matches.
constexpr int kPositionRetries = 1001;
// Edge stroke layer arguments of this style: threshold, fade, length factor.
constexpr int kEdgeThreshold = 4;
constexpr int kEdgeFade = 180;
constexpr int kEdgeLength = 20;

using MeanColour3 = std::array<int, 3>;

// The sliders after validation, with the quantities derived from them.
struct StrokePlan {
  int minimumSize = 0;
  int startSize = 0;
  std::int64_t budget = 0;     // T: brush area to lay per size
  int acceptanceFactor = 0;    // K
  int startDifference = 0;     // t0: least red difference at a stroke's start
  int precision = 0;
  int edgeIntensity = 0;
};

StrokePlan PlanStrokes(int width, int height, int minimumSize, int maximumSize, int strokeCount,
                       int edgeIntensity, int precision, const StyleSettings& settings) {
  StrokePlan plan;
  // Slider values; sizes outside 0..255 (possible from parameter files) would let the brush
  // shrink to nothing without ending the run.
  const int maximum = std::clamp(maximumSize, 0, 255);
  plan.minimumSize = std::min(std::clamp(minimumSize, 0, 255), maximum);
  plan.startSize = settings.doubled ? (maximum * 194) / 100 + 5 : maximum + 6;
  plan.acceptanceFactor = 2 * precision + 514;
  plan.startDifference = (255 - precision) / 10;
  plan.precision = precision;
  plan.edgeIntensity = edgeIntensity;
  std::int64_t budget = (static_cast<std::int64_t>(width) * height / 2) * strokeCount;
  budget = budget / ((maximum - plan.minimumSize) / 100 + 1) * 4;
  budget = std::min(budget, kBudgetCap);
  if (settings.maxShown[kSlotTrackBar5]) budget *= 3;
  plan.budget = budget;
  return plan;
}

// Sum of |a − b| over n bytes.
inline std::int64_t SumOfDifferences(const std::uint8_t* a, const std::uint8_t* b, int n) {
  std::uint32_t total = 0;
  for (int t = 0; t < n; ++t) total += static_cast<std::uint32_t>(std::abs(a[t] - b[t]));
  return total;
}

// The bytes of each channel over a row of pixels: 255 at the channel's bytes, 0 elsewhere.
struct ChannelMasks {
  // Longer than a row of the largest brush, 255 · 194 div 100 + 5 = 499 pixels.
  static constexpr int kLength = 3 * 512;
  std::array<std::array<std::uint8_t, kLength>, 3> masks{};
  constexpr ChannelMasks() {
    for (int t = 0; t < kLength; ++t) masks[t % 3][t] = 0xFF;
  }
};
constexpr ChannelMasks kChannelMasks;

// Asks the processor to fetch n bytes from `bytes` on into the cache. Strokes land at random
// places, so the rows a stroke reads are far apart in memory and are not fetched ahead by the
// processor itself; fetching a few rows ahead hides most of the waiting.
inline void PrefetchBytes(const std::uint8_t* bytes, int n) {
  for (int t = 0; t < n; t += 64) __builtin_prefetch(bytes + t);
  __builtin_prefetch(bytes + n - 1);
}
constexpr int kPrefetchRows = 4;

// Over n bytes of a row run (starting at a pixel): adds the source bytes of each channel to
// `sums` and |source − painting| to `difference`.
inline void AddRun(const std::uint8_t* source, const std::uint8_t* painting, int n, std::array<std::int64_t, 3>& sums,
                   std::int64_t& difference) {
  const std::uint8_t* blue = kChannelMasks.masks[0].data();
  const std::uint8_t* green = kChannelMasks.masks[1].data();
  const std::uint8_t* red = kChannelMasks.masks[2].data();
  std::uint32_t b = 0, g = 0, r = 0, d = 0;
  for (int t = 0; t < n; ++t) {
    const int v = source[t];
    d += static_cast<std::uint32_t>(std::abs(v - painting[t]));
    b += static_cast<std::uint32_t>(v & blue[t]);
    g += static_cast<std::uint32_t>(v & green[t]);
    r += static_cast<std::uint32_t>(v & red[t]);
  }
  sums[0] += b;
  sums[1] += g;
  sums[2] += r;
  difference += d;
}

// Sum over n bytes of |source − (w · painting + colour · (255 − w)) shr 8|: the difference
// between the source and the painting tinted towards `colour` by the brush weight w.
// The tint of one byte: (w · value + colour · (255 − w)) shr 8. The sum never exceeds 255 · 255,
// so it is done in 16 bits, which lets the loops below work on many bytes at once.
inline std::uint8_t Tint(std::uint8_t value, std::uint8_t colour, std::uint8_t w) {
  const auto kept = static_cast<std::uint16_t>(w * value);
  const auto added = static_cast<std::uint16_t>(colour * (255 - w));
  return static_cast<std::uint8_t>(static_cast<std::uint16_t>(kept + added) >> 8);
}

inline std::int64_t SumOfTintedDifferences(const std::uint8_t* source, const std::uint8_t* painting,
                                           const std::uint8_t* weight, const std::uint8_t* colour, int n) {
  std::uint32_t total = 0;
  for (int t = 0; t < n; ++t) {
    total += static_cast<std::uint32_t>(std::abs(source[t] - Tint(painting[t], colour[t], weight[t])));
  }
  return total;
}

// Tints n bytes in place.
inline void TintBytes(std::uint8_t* bytes, const std::uint8_t* weight, const std::uint8_t* colour, int n) {
  for (int t = 0; t < n; ++t) bytes[t] = Tint(bytes[t], colour[t], weight[t]);
}

// `pattern` receives the colour's blue, green and red bytes repeated over n bytes.
inline void RepeatColour(const MeanColour3& colour, std::uint8_t* pattern, int n) {
  for (int t = 0; t < std::min(n, 3); ++t) pattern[t] = static_cast<std::uint8_t>(colour[t]);
  for (int t = 3; t < n; ++t) pattern[t] = pattern[t - 3];
}

// The stroke loop with its working pictures: B, the current brush stamp, and R, the stroke
// patch, both side × side.
//
// The paint of B (red below 250) is kept as runs of consecutive pixels per row, with the
// brush weight repeated for each byte, so the loops over the brush run over plain byte ranges.
//
// R is not rebuilt for every stroke. R follows from the painting and the mean colour alone (parts
// of the patch outside the painting repeat the painting's edge pixels), and a stroke's test only
// reads R where the patch comes from inside the painting, so the error is computed straight from
// the painting. R itself is built when a stroke is drawn, or when a new brush or size starts from
// R's old content (a turn stopped midway leaves rows of it). Until then the last stroke's patch is
// kept as "pending" (its position and colour), which stays exact because the painting only
// changes when a stroke is drawn, and a drawn stroke builds its patch first.
class StrokePainter {
 public:
  StrokePainter(const Bitmap24& source, Bitmap24& painting, int side)
      : source_(source), painting_(painting), width_(source.Width()), height_(source.Height()),
        brush_(side, side, 0xFFFFFF), patch_(side, side, 0xFFFFFF) {
    BrushChanged();
  }

  int Side() const { return brush_.Width(); }
  int Half() const { return half_; }

  // The first brush: cell (0, 0) of the sheet stretched onto the whole stamp.
  void StretchFirstBrush(const Bitmap24& sheet) {
    brushImage_ = Bitmap24(kBrushCellSize, kBrushCellSize, 0xFFFFFF);
    CopySheetCell(sheet, brushImage_, kBrushCellSize, kBrushCellSize, 0, 0);
    StretchDraw(brush_, Rect{0, 0, brush_.Width(), brush_.Height()}, brushImage_);
    BrushChanged();
  }

  void Resize(int side) {
    BuildPendingPatch();
    brush_.Resize(side, side);
    patch_.Resize(side, side);
    BrushChanged();
  }

  // A new brush picture resampled onto the stamp and turned by a random angle; the centre of the
  // turned picture is copied back onto the stamp one pixel smaller, as the stretching shrinks it.
  void NewBrush(const StyleSettings& settings, RunContext& context) {
    BuildPendingPatch();
    if (settings.customBrushInUse) {
      brushImage_ = settings.customBrush != nullptr ? *settings.customBrush : DefaultCustomBrush();
    } else {
      const int cell = context.Random(kShippedBrushCount);
      brushImage_.Resize(kBrushCellSize, kBrushCellSize);
      CopySheetCell(BrushSheet(), brushImage_, kBrushCellSize, kBrushCellSize, cell % kBrushSheetColumns,
                    cell / kBrushSheetColumns);
    }
    Resample(brushImage_, brush_);
    const int angle = context.Random(360);
    RotateBitmap(brush_, patch_, angle, context);
    const int bw = brush_.Width(), bh = brush_.Height();
    const int rw = patch_.Width(), rh = patch_.Height();
    StretchCopy(brush_, Rect{0, 0, bw - 1, bh - 1}, patch_,
                Rect{(rw - bw) >> 1, (rh - bh) >> 1, (rw + bw) >> 1, (rh + bh) >> 1});
    patch_.Resize(bw, bh);
    BrushChanged();
  }

  // The mean source colour under the paint of the stamp centred at (x, y), over the inner part of
  // the picture (0 when no pixel counts), and the summed difference between source and painting
  // over the same pixels within the 2·half square the test covers.
  struct UnderBrush {
    MeanColour3 mean{};
    std::int64_t difference = 0;
  };
  UnderBrush Measure(int x, int y) const {
    const int side = Side();
    const int left = x - half_, top = y - half_;
    const int testLast = 2 * half_ - 1;
    const int iFirst = std::max(0, 1 - left), iLast = std::min(side - 1, width_ - 2 - left);
    const int kFirst = std::max(0, 1 - top), kLast = std::min(side - 1, height_ - 2 - top);
    std::array<std::int64_t, 3> sum{};
    std::int64_t count = 0, difference = 0;
    if (iFirst > iLast) return {};
    const int spanStart = 3 * (left + iFirst), spanBytes = 3 * (iLast - iFirst + 1);
    for (int k = kFirst; k <= std::min(kLast, kFirst + kPrefetchRows - 1); ++k) {
      PrefetchBytes(source_.Row(top + k) + spanStart, spanBytes);
      PrefetchBytes(painting_.Row(top + k) + spanStart, spanBytes);
    }
    for (int k = kFirst; k <= kLast; ++k) {
      if (k + kPrefetchRows <= kLast) {
        PrefetchBytes(source_.Row(top + k + kPrefetchRows) + spanStart, spanBytes);
        PrefetchBytes(painting_.Row(top + k + kPrefetchRows) + spanStart, spanBytes);
      }
      const std::uint8_t* src = source_.Row(top + k);
      const std::uint8_t* dst = painting_.Row(top + k);
      const int iTestLast = k <= testLast ? std::min(iLast, testLast) : -1;
      for (const PaintRun& run : RunsOfRow(k)) {
        const int first = std::max(run.first, iFirst), last = std::min(run.last, iLast);
        if (first > last) continue;
        count += last - first + 1;
        const int testEnd = std::max(std::min(last, iTestLast), first - 1);
        if (first <= testEnd) {
          const int at = 3 * (left + first);
          AddRun(src + at, dst + at, 3 * (testEnd - first + 1), sum, difference);
        }
        // Beyond the tested square (the last row and column of an odd side): the mean only.
        for (int i = testEnd + 1; i <= last; ++i) {
          for (int c = 0; c < 3; ++c) sum[c] += src[3 * (left + i) + c];
        }
      }
    }
    UnderBrush result;
    for (int c = 0; c < 3; ++c) result.mean[c] = count == 0 ? 0 : static_cast<int>(sum[c] / count);
    result.difference = difference;
    return result;
  }

  // The patch for a stroke at (x, y), kept pending until the stroke is drawn.
  void PreparePatch(int x, int y, const MeanColour3& mean) { pending_ = Pending{true, x, y, mean}; }

  // Summed difference between the source and the patch over the painted inner pixels of the
  // 2·half square; stops as soon as it exceeds `limit`.
  std::int64_t StrokeError(int x, int y, const MeanColour3& mean, std::int64_t limit) {
    const int side = Side();
    const int left = x - half_, top = y - half_;
    const int testLast = 2 * half_ - 1;
    // An odd side takes its patch from 2·half = side − 1 pixels stretched onto side: patch pixel
    // i > 0 comes from painting pixel i − 1 of the square, pixel 0 from pixel 0.
    const int shift = side % 2;
    const int iFirst = std::max(0, 1 - left), iLast = std::min(testLast, width_ - 2 - left);
    const int kFirst = std::max(0, 1 - top), kLast = std::min(testLast, height_ - 2 - top);
    RepeatColour(mean, meanBytes_.data(), 3 * side);
    std::int64_t error = 0;
    for (int k = kFirst; k <= kLast; ++k) {
      const std::uint8_t* srcRow = source_.Row(top + k);
      const std::uint8_t* dstRow = painting_.Row(top + (k > 0 ? k - shift : 0));
      const std::uint8_t* weights = WeightsOfRow(k);
      // The first and last column and row of R are copied, not tinted.
      const bool tintedRow = k > 0 && k < side - 1;
      for (const PaintRun& run : RunsOfRow(k)) {
        int first = std::max(run.first, iFirst);
        int last = std::min(run.last, iLast);
        if (first > last) continue;
        if (first == 0) {
          error += SumOfDifferences(srcRow + 3 * left, dstRow + 3 * left, 3);
          if (++first > last) continue;
        }
        const bool lastCopied = last == side - 1;
        if (lastCopied) --last;
        if (first <= last) {
          const std::uint8_t* src = srcRow + 3 * (left + first);
          const std::uint8_t* dst = dstRow + 3 * (left + first - shift);
          const int n = 3 * (last - first + 1);
          error += tintedRow ? SumOfTintedDifferences(src, dst, weights + 3 * first, meanBytes_.data(), n)
                             : SumOfDifferences(src, dst, n);
        }
        if (lastCopied) {
          error += SumOfDifferences(srcRow + 3 * (left + side - 1), dstRow + 3 * (left + side - 1 - shift), 3);
        }
      }
      if (error > limit) return error;
    }
    return error;
  }

  // Draws the whole patch square onto the painting, its top-left corner at (x − half, y − half).
  void DrawStroke(int x, int y) {
    BuildPendingPatch();
    DrawPicture(painting_, x - half_, y - half_, patch_);
  }

 private:
  struct PaintRun {
    int first = 0, last = 0;  // columns of B, inclusive
  };
  struct Pending {
    bool active = false;
    int x = 0, y = 0;
    MeanColour3 mean{};
  };

  std::span<const PaintRun> RunsOfRow(int k) const {
    return {runs_.data() + rowRunStart_[k], runs_.data() + rowRunStart_[k + 1]};
  }
  const std::uint8_t* WeightsOfRow(int k) const { return weights_.data() + static_cast<std::size_t>(k) * 3 * Side(); }

  // B changed: its half side, its runs of paint and the weight of every byte.
  void BrushChanged() {
    const int side = Side();
    half_ = side >> 1;
    runs_.clear();
    rowRunStart_.assign(static_cast<std::size_t>(side) + 1, 0);
    weights_.assign(static_cast<std::size_t>(side) * 3 * side, 0);
    meanBytes_.assign(3 * static_cast<std::size_t>(side), 0);
    for (int k = 0; k < side; ++k) {
      const std::uint8_t* brush = brush_.Row(k);
      std::uint8_t* weights = weights_.data() + static_cast<std::size_t>(k) * 3 * side;
      rowRunStart_[k] = static_cast<int>(runs_.size());
      for (int i = 0; i < side; ++i) {
        const std::uint8_t v = brush[3 * i + 2];
        if (v >= kPaintBelow) continue;
        weights[3 * i] = weights[3 * i + 1] = weights[3 * i + 2] = v;
        if (static_cast<int>(runs_.size()) > rowRunStart_[k] && runs_.back().last == i - 1) {
          runs_.back().last = i;
        } else {
          runs_.push_back({i, i});
        }
      }
    }
    rowRunStart_[side] = static_cast<int>(runs_.size());
  }

  void BuildPendingPatch() {
    if (!pending_.active) return;
    pending_.active = false;
    BuildPatch(pending_.x, pending_.y, pending_.mean);
  }

  // R receives the painting's square around (x, y), stretched onto all of R, and its painted
  // inner pixels are blended towards the mean colour by the brush weight. The square spans 2·half
  // pixels: for an even side the copy is 1:1; for an odd side every pixel of R but the first of a
  // row or column comes from its upper-left neighbour in the square. Where the square reaches past
  // the painting, R takes the painting's nearest edge pixel (row and column clamped): a stroke at
  // the border then carries no colour of an earlier patch into the outermost row and column, and
  // paints them with its own colour.
  void BuildPatch(int x, int y, const MeanColour3& mean) {
    const int side = patch_.Width();
    const int left = x - half_, top = y - half_;
    const int shift = side % 2;
    auto paintingColumn = [&](int i) { return std::clamp(left + (i > 0 ? i - shift : 0), 0, width_ - 1); };
    // Columns of R whose painting column (left + i − shift for i > 0) lies inside the painting.
    const int iFirst = std::max(1, shift - left), iLast = std::min(side - 1, width_ - 1 - left + shift);
    for (int k = 0; k < side; ++k) {
      const int row = std::clamp(top + (k > 0 ? k - shift : 0), 0, height_ - 1);
      const std::uint8_t* in = painting_.Row(row);
      std::uint8_t* out = patch_.Row(k);
      for (int i = 0; i < std::min(iFirst, side); ++i) std::memcpy(out + 3 * i, in + 3 * paintingColumn(i), 3);
      if (iFirst <= iLast) {
        std::memcpy(out + 3 * iFirst, in + 3 * (left + iFirst - shift), 3 * static_cast<std::size_t>(iLast - iFirst + 1));
      }
      for (int i = std::max(iLast + 1, iFirst); i < side; ++i) std::memcpy(out + 3 * i, in + 3 * paintingColumn(i), 3);
    }
    RepeatColour(mean, meanBytes_.data(), 3 * side);
    for (int k = 1; k < side - 1; ++k) {
      std::uint8_t* out = patch_.Row(k);
      const std::uint8_t* weights = WeightsOfRow(k);
      for (const PaintRun& run : RunsOfRow(k)) {
        const int first = std::max(run.first, 1), last = std::min(run.last, side - 2);
        if (first <= last) TintBytes(out + 3 * first, weights + 3 * first, meanBytes_.data(), 3 * (last - first + 1));
      }
    }
  }

  const Bitmap24& source_;
  Bitmap24& painting_;
  const int width_, height_;
  Bitmap24 brush_;       // B
  Bitmap24 patch_;       // R
  Bitmap24 brushImage_;  // the brush picture in use, before resampling
  int half_ = 0;         // hx = hy
  std::vector<PaintRun> runs_;
  std::vector<int> rowRunStart_;
  std::vector<std::uint8_t> weights_;
  std::vector<std::uint8_t> meanBytes_;
  Pending pending_;
};

// Darkens every pixel by its remaining difference from the source and the darkness of the edge
// stroke layer, weighted by the edge intensity. The last row and column are darkened too: left as
// they were, they would show as a light line along the right and bottom edges of the painting.
void DarkenContours(const Bitmap24& source, const Bitmap24& edges, Bitmap24& painting, int edgeIntensity) {
  for (int y = 0; y < painting.Height(); ++y) {
    const std::uint8_t* src = source.Row(y);
    const std::uint8_t* edge = edges.Row(y);
    std::uint8_t* out = painting.Row(y);
    for (int x = 0; x < painting.Width(); ++x) {
      int total = 0;
      for (int c = 0; c < 3; ++c) {
        const int at = 3 * x + c;
        total += (std::abs(out[at] - src[at]) + 2 * (255 - edge[at])) / 3;
      }
      const int darkening = (total / 3) * edgeIntensity / 300;
      for (int c = 0; c < 3; ++c) out[3 * x + c] = static_cast<std::uint8_t>(std::clamp(out[3 * x + c] - darkening, 0, 255));
    }
  }
}

// Painting 7 itself opens with the phase in which almost every stroke is kept, on the ground colour.
StrokeEngineOptions PaintingStrokeOptions(const StyleSettings& settings) {
  return {.openingPhase = true, .ground = settings.paperColour};
}

// The sliders as the painting used them: a minimum size above the maximum was lowered to it.
ParameterSet SlidersUsed(const ParameterSet& sliders, const RandomStrokesParameters& parameters) {
  ParameterSet used = sliders;
  used[kSlotTrackBar1] = parameters.minimumSize;
  return used;
}

}  // namespace

RandomStrokesParameters RandomStrokesParametersFrom(const ParameterSet& sliders) {
  RandomStrokesParameters p{.minimumSize = sliders[kSlotTrackBar1],
                            .maximumSize = sliders[kSlotTrackBar2],
                            .strokeCount = sliders[kSlotTrackBar5],
                            .edgeIntensity = sliders[kSlotTrackBar3],
                            .precision = sliders[kSlotTrackBar4]};
  p.minimumSize = std::min(p.minimumSize, p.maximumSize);
  return p;
}

void RandomStrokePainting(Bitmap24& source, Bitmap24& result, const RandomStrokesParameters& parameters,
                          const StrokeEngineOptions& options, const StyleSettings& settings,
                          const SurfaceSettings& surface, RunContext& context) {
  if (settings.preview && context.ProgressSuppressed) return;
  context.ReportProgress(0, 10, 1, 2);
  LocalContrast(source, kSharpening, settings.sourceMean, &context);

  bool opening = options.openingPhase;
  context.Rng.RandomSeed = kStyleSeed;
  const int width = source.Width(), height = source.Height();
  const StrokePlan plan =
      PlanStrokes(width, height, parameters.minimumSize, parameters.maximumSize, parameters.strokeCount,
                  parameters.edgeIntensity, parameters.precision, settings);
  const int m = plan.minimumSize;
  const int s0 = plan.startSize;
  int s = s0;
  std::int64_t strokesPerSize = plan.budget / (static_cast<std::int64_t>(s0) * s0);

  result = Bitmap24(width, height, options.ground);
  Bitmap24 edges(width, height, 0xFFFFFF);
  if (!context.ProgressSuppressed) {
    EdgeStrokes(source, edges, kEdgeThreshold, kEdgeFade, kEdgeLength, settings.preview, surface, context);
  }
  if (source.Empty()) return;

  StrokePainter painter(source, result, s0);
  painter.StretchFirstBrush(BrushSheet());
  const bool fullSizeProgress = !settings.preview && !context.ProgressSuppressed;
  std::int64_t j = 1;

  while (s >= m + 5) {
    if (!opening) {
      ++j;
    } else if (context.Random(100) <= 15) {
      ++j;
    }
    if (context.AbortRequested) {
      context.ReportProgress(101, 100, 1, 1);
      return;
    }

    int x = context.Random(width);
    int y = context.Random(height);
    for (int retry = 0; retry < kPositionRetries; ++retry) {
      if (std::abs(source.Row(y)[3 * x + 2] - result.Row(y)[3 * x + 2]) >= plan.startDifference) break;
      x = context.Random(width);
      y = context.Random(height);
    }

    if (j >= strokesPerSize) {
      opening = false;
      s = (s * 90) / 100;
      strokesPerSize = plan.budget / (static_cast<std::int64_t>(s) * s);
      painter.Resize(s);
      j = 0;
    }
    if (j % kStrokesPerBrush == 0) {
      opening = false;
      painter.NewBrush(settings, context);
      (void)context.CheckAbort();
      if (fullSizeProgress) context.ReportProgress(s0 - s, s0 - m, 2, 2);
    }

    const StrokePainter::UnderBrush under = painter.Measure(x, y);
    painter.PreparePatch(x, y, under.mean);
    std::int64_t base = opening ? kOpeningBase : static_cast<std::int64_t>(plan.precision - 255) * painter.Half();
    base = std::max<std::int64_t>(base + under.difference, 0);
    const std::int64_t limit = (base >> 10) * plan.acceptanceFactor;
    if (painter.StrokeError(x, y, under.mean, limit) < limit) painter.DrawStroke(x, y);

    if (j % kStrokesPerPump == 0) {
      (void)context.CheckAbort();
      if (settings.preview && j % kStrokesPerPreviewShow == 0) context.ShowPreviewProgress(result, -1);
    }
  }
  context.ReportProgress(s0, s0, 2, 2);

  DarkenContours(source, edges, result, plan.edgeIntensity);
}

StyleOutput ProcessRandomStrokes(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                 const SurfaceSettings& surface, RunContext& context) {
  (void)context.CheckAbort();
  const RandomStrokesParameters parameters = RandomStrokesParametersFrom(settings.sliders);
  RandomStrokePainting(source, shown, parameters, PaintingStrokeOptions(settings), settings, surface, context);
  return {.picture = std::move(shown), .sliders = SlidersUsed(settings.sliders, parameters)};
}

StyleOutput PreviewRandomStrokes(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                 RunContext& context) {
  const RandomStrokesParameters parameters = RandomStrokesParametersFrom(settings.sliders);
  Bitmap24 work = crop;
  StyleOutput output{.picture = crop, .sliders = SlidersUsed(settings.sliders, parameters)};
  RandomStrokePainting(work, output.picture, parameters, PaintingStrokeOptions(settings), settings, surface, context);
  return output;
}

}  // namespace atelion
